// The client of `orvex lsp`, the language server of the orvex program, for documents of language
// orvex: diagnostics, hover, go to definition, document symbols and completion all come from it.
// The program is the setting orvex.path (default: `orvex`, found on PATH). When it cannot be
// started, one message says so and names the setting; the server is never restarted by itself,
// only by the command "Orvex: Restart Language Server" or a change of the setting.
'use strict';
const vscode = require('vscode');
const { LanguageClient, CloseAction, ErrorAction } = require('vscode-languageclient/node');

const SETTING = 'orvex.path';

// Until the server has started, the library's own notifications (there are several for one
// failure) only go to the output: a failure to start is told once, by start() below.
class OrvexClient extends LanguageClient {
  error(message, data, showNotification) {
    super.error(message, data, this.started ? showNotification : false);
  }
}

let output;
let client;
// Starts and stops run one after another, in the order asked.
let queue = Promise.resolve();

function program() {
  const configured = vscode.workspace.getConfiguration('orvex').get('path');
  return typeof configured === 'string' && configured.trim() !== '' ? configured.trim() : 'orvex';
}

// What went wrong, from the reason the library gives (an Error or a string).
function failure(command, error) {
  const text = String(error && error.message ? error.message : error);
  if (/ENOENT/.test(text)) return `the program "${command}" was not found`;
  if (/EACCES|EPERM/.test(text)) return `the program "${command}" may not be run`;
  return `"${command} lsp" ended before it answered (its output is in the output "Orvex")`;
}

async function start() {
  const command = program();
  const starting = new OrvexClient('orvex', 'Orvex', { command, args: ['lsp'] }, {
    documentSelector: [{ scheme: 'file', language: 'orvex' }, { scheme: 'untitled', language: 'orvex' }],
    outputChannel: output,
    // A failed initialize is told by start() below, not by the library.
    initializationFailedHandler: () => false,
    errorHandler: {
      error: (_error, _message, count) =>
        ({ action: count && count <= 3 ? ErrorAction.Continue : ErrorAction.Shutdown }),
      closed: () => ({
        action: CloseAction.DoNotRestart,
        message: `The Orvex language server ("${command} lsp") stopped. ` +
          'The command "Orvex: Restart Language Server" starts it again.',
      }),
    },
  });
  client = starting;
  try {
    await starting.start();
    starting.started = true;
  } catch (error) {
    output.appendLine(`"${command} lsp" could not be started: ${error && error.stack ? error.stack : error}`);
    // Not awaited: a restart asked for meanwhile need not wait for the message to be closed.
    vscode.window.showErrorMessage(
      `Orvex: the language server could not be started: ${failure(command, error)}. ` +
      `The setting ${SETTING} names the orvex program: a path, or a name found on PATH.`, 'Open Setting')
      .then((choice) => choice && vscode.commands.executeCommand('workbench.action.openSettings', SETTING));
  }
}

async function stop() {
  const running = client;
  client = undefined;
  if (running && running.isRunning()) {
    await running.stop().catch((error) => output.appendLine(`Stopping the server failed: ${error}`));
  }
}

function enqueue(step) {
  queue = queue.then(step).catch((error) => output.appendLine(`${error && error.stack ? error.stack : error}`));
  return queue;
}

function restart() {
  return enqueue(async () => {
    await stop();
    await start();
  });
}

function activate(context) {
  output = vscode.window.createOutputChannel('Orvex');
  context.subscriptions.push(
    output,
    vscode.commands.registerCommand('orvex.restartServer', restart),
    vscode.workspace.onDidChangeConfiguration((event) => {
      if (event.affectsConfiguration(SETTING)) restart();
    }));
  // Not awaited: activation does not wait for the server.
  enqueue(start);
}

function deactivate() {
  return enqueue(stop);
}

module.exports = { activate, deactivate };
