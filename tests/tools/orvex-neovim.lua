-- orvex lsp with Neovim's own client, as a user starts it (editors/README.md): a missing ';' shows
-- one diagnostic where it belongs, the edit that fixes it clears it, hover on <print> says what it
-- does, and definition on a name lands on the line that binds it. Run by orvex-editors.sh.
local failures = 0
local function check(ok, what)
    if not ok then
        failures = failures + 1
        io.stderr:write('FAIL: ' .. what .. '\n')
    end
end

vim.cmd('edit ' .. vim.fn.fnameescape(vim.env.PROGRAM))
local client = vim.lsp.start_client({ name = 'orvex', cmd = { vim.env.ORVEX, 'lsp' }, root_dir = vim.fn.getcwd() })
vim.lsp.buf_attach_client(0, client)

check(vim.wait(10000, function() return #vim.diagnostic.get(0) > 0 end), 'no diagnostic came')
local found = vim.diagnostic.get(0)
check(#found == 1 and found[1].lnum == 3 and found[1].col == 16 and found[1].severity == vim.diagnostic.severity.ERROR,
      'the missing semicolon: ' .. vim.inspect(found))

vim.api.nvim_buf_set_text(0, 3, 16, 3, 16, { ' ;' })
check(vim.wait(10000, function() return #vim.diagnostic.get(0) == 0 end), 'the fix left ' .. vim.inspect(vim.diagnostic.get(0)))

local function ask(method, line, character)
    local params = { textDocument = vim.lsp.util.make_text_document_params(), position = { line = line, character = character } }
    local answers = vim.lsp.buf_request_sync(0, method, params, 10000) or {}
    return answers[client] and answers[client].result
end
local hover = ask('textDocument/hover', 4, 13)
check(hover and hover.contents.value:find('Writes the text', 1, true), 'hover on <print>: ' .. vim.inspect(hover))
local definition = ask('textDocument/definition', 4, 3)
check(definition and definition.range.start.line == 0, 'definition of greeting: ' .. vim.inspect(definition))

vim.lsp.stop_client(client)
vim.wait(5000, function() return vim.lsp.get_client_by_id(client) == nil end)
if failures > 0 then vim.cmd('cquit 1') end
vim.cmd('qall!')
