// A COM client of OrvexExtern for the Wine tests: ExternClient COMMAND [ARGUMENTS]. Prints a line per
// failed check and "<COMMAND> PASSED" at the end; the exit code is the number of failures.
#include <windows.h>

#include <objbase.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "Expect.h"
#include "ExternObject.h"
#include "OperationExamples.h"
#include "ServerProcesses.h"
#include "extern/AppId.h"

namespace {

// A local server with no clients left ends within milliseconds; this leaves room for a slow machine.
constexpr DWORD serverExitTimeoutMs = 10000;

void expectServerExit(Expect& expect) {
    std::string problem;
    expect.that(ServerProcesses().waitForExit(serverExitTimeoutMs, problem), problem);
}

void expectAnswer(Expect& expect, const ExternObject& object, const InvokeArguments& arguments,
                  const wchar_t* answer, const std::string& what) {
    std::wstring got;
    if (expect.succeeded(object.call(arguments, got), what)) expect.equal(got, answer, what);
}

// The class by its identifier and by both ProgIDs, each through the vtable and through IDispatch by
// name and by dispatch id; then the server must outlast the last release briefly, and end.
void activation(Expect& expect) {
    const wchar_t* progIds[] = {L"Orvex.Extern", L"Orvex.Extern.1"};
    ExternObject objects[3];
    expect.succeeded(objects[0].create(CLSID_Extern), "CoCreateInstance(CLSID_Extern)");
    for (int i = 0; i < 2; ++i) {
        CLSID classId{};
        std::string what = "CLSIDFromProgID(" + narrow(progIds[i]) + ")";
        if (!expect.succeeded(CLSIDFromProgID(progIds[i], &classId), what)) continue;
        expect.that(IsEqualCLSID(classId, CLSID_Extern), what + " is CLSID_Extern");
        expect.succeeded(objects[i + 1].create(classId), "CoCreateInstance(" + narrow(progIds[i]) + ")");
    }
    const InvokeArguments sum = {L"String", L"<+>", L"<2>", L"<3>"};
    for (ExternObject& object : objects) {
        if (!object.get()) continue;
        expectAnswer(expect, object, sum, L"<5>", "vtable invoke");
        DISPID id = 0;
        if (expect.succeeded(object.idOfName(L"invoke", id), "GetIDsOfNames(invoke)"))
            expect.that(id == 1, "dispatch id of invoke is " + std::to_string(id) + ", want 1");
        std::wstring got;
        if (expect.succeeded(object.dispatch(id, sum, got), "Invoke by name"))
            expect.equal(got, L"<5>", "by name");
        if (expect.succeeded(object.dispatch(1, sum, got), "Invoke(1)"))
            expect.equal(got, L"<5>", "Invoke(1)");
    }
    expect.that(ServerProcesses().running().size() == 1, "one server process serves every client");
    // The type information a script host reads describes IExtern.
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    TYPEATTR* attributes = nullptr;
    if (objects[0].get() &&
        expect.succeeded(objects[0].get()->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), "GetTypeInfo") &&
        expect.succeeded(info->GetTypeAttr(&attributes), "GetTypeAttr")) {
        expect.that(IsEqualIID(attributes->guid, IID_IExtern), "type information is IExtern's");
        info->ReleaseTypeAttr(attributes);
    }
    std::vector<DWORD> server = ServerProcesses().running();
    for (ExternObject& object : objects)
        object.release();
    // The server waits a while after its last release: a client that comes then reuses it.
    Sleep(500);
    ExternObject late;
    expect.succeeded(late.create(CLSID_Extern), "CoCreateInstance after the last release");
    expect.that(ServerProcesses().running() == server,
                "a client soon after the last release reuses the server");
    late.release();
    expectServerExit(expect);
}

// Every documented example, through the vtable and through IDispatch.
void examples(Expect& expect) {
    ExternObject object;
    if (!expect.succeeded(object.create(CLSID_Extern), "CoCreateInstance")) return;
    for (const OperationExample& example : operationExamples) {
        InvokeArguments arguments = {example.interfaceName, example.operationName, example.left,
                                     example.right};
        std::wstring got;
        std::string what = example.describe();
        if (expect.succeeded(object.call(arguments, got), what))
            expect.that(example.accepts(got),
                        what + " gave " + narrow(got) + ", want " + narrow(example.answer));
        if (expect.succeeded(object.dispatch(1, arguments, got), "IDispatch " + what))
            expect.that(example.accepts(got), "IDispatch " + what + " gave " + narrow(got));
    }
}

// Texts that cross the ANSI conversion badly or are unusually long or absent.
void badInput(Expect& expect) {
    ExternObject object;
    if (!expect.succeeded(object.create(CLSID_Extern), "CoCreateInstance")) return;
    // Null BSTRs are empty texts: "" + "<5>" concatenates, and two empty texts are equal.
    expectAnswer(expect, object, {nullptr, nullptr, nullptr, nullptr}, L"nil", "all null");
    expectAnswer(expect, object, {L"String", L"<+>", nullptr, L"<5>"}, L"<5>", "null left");
    expectAnswer(expect, object, {L"String", L"<==>", nullptr, L""}, L"true", "null equals empty");
    expectAnswer(expect, object, {L"String", L"<length>", nullptr, nullptr}, L"nil", "length of null");

    // Each argument ends at its first null character.
    std::wstring got;
    Bstr stringName(std::wstring(L"String\0junk", 11)), length(std::wstring(L"<length>\0x", 10));
    Bstr cut(std::wstring(L"<abc>\0<defgh>", 13)), empty(std::wstring(L"\0<x>", 4));
    if (expect.succeeded(object.call(stringName.get(), length.get(), cut.get(), empty.get(), got), "nulls"))
        expect.equal(got, L"<3>", "length of \"<abc>\\0<defgh>\"");
    if (expect.succeeded(object.call(stringName.get(), length.get(), empty.get(), cut.get(), got), "nulls"))
        expect.equal(got, L"nil", "length of \"\\0<x>\"");

    // Outside ASCII: one byte per character in the ANSI code page, and back unchanged.
    expectAnswer(expect, object, {L"String", L"<length>", L"<\u00e9>", L""}, L"<1>", "length of <\u00e9>");
    expectAnswer(expect, object, {L"String", L"<append>", L"<\u00e9\u20ac>", L"<\u00fc>"},
                 L"<\u00e9\u20ac\u00fc>", "append outside ASCII");
    // A character the code page lacks still becomes exactly one byte.
    expectAnswer(expect, object, {L"String", L"<length>", L"<\u0416\u4e2d>", L""}, L"<2>",
                 "length of characters outside the code page");

    // A megabyte each way.
    std::wstring big = L"<" + std::wstring(1 << 20, L'x') + L">";
    Bstr bigText(big), plus(L"<+>"), lengthName(L"<length>"), interfaceName(L"String"), none(L"");
    if (expect.succeeded(object.call(interfaceName.get(), plus.get(), bigText.get(), bigText.get(), got),
                         "1 MB"))
        expect.equal(got, L"<" + std::wstring(2 << 20, L'x') + L">", "1 MB + 1 MB");
    if (expect.succeeded(object.call(interfaceName.get(), lengthName.get(), bigText.get(), none.get(), got),
                         "1 MB"))
        expect.equal(got, L"<" + std::to_wstring(1 << 20) + L">", "length of 1 MB");
}

// Many calls with answers computed here; reports the time of one call.
void load(Expect& expect, int count) {
    ExternObject object;
    if (!expect.succeeded(object.create(CLSID_Extern), "CoCreateInstance")) return;
    auto begin = std::chrono::steady_clock::now();
    int wrong = 0;
    for (int i = 0; i < count && wrong < 10; ++i) {
        // Odd calls add numbers, even ones concatenate, so both paths of "<+>" are loaded.
        std::wstring left = L"<" + std::to_wstring(i) + L">", right, want;
        if (i % 2) {
            right = L"<" + std::to_wstring(7 * i - 3) + L">";
            want = L"<" + std::to_wstring(8 * i - 3) + L">";
        } else {
            right = L"<x" + std::to_wstring(7 * i - 3) + L">";
            want = L"<" + std::to_wstring(i) + L"x" + std::to_wstring(7 * i - 3) + L">";
        }
        std::wstring got;
        HRESULT status = object.call({L"String", L"<+>", left.c_str(), right.c_str()}, got);
        if (FAILED(status) || got != want) {
            ++wrong;
            expect.that(false,
                        "call " + std::to_string(i) + " gave " + narrow(got) + ", want " + narrow(want));
        }
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    std::printf("%d calls in %.3f s: %.3f ms per call\n", count, seconds, seconds * 1000 / count);
}

// Starts this program with the given arguments, its output going where ours goes.
HANDLE startClient(const std::wstring& arguments) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// Runs copies of this program with the given arguments at once and waits for them; each must pass.
void runClients(Expect& expect, int clients, const std::wstring& arguments, DWORD timeoutMs) {
    std::vector<HANDLE> processes;
    for (int i = 0; i < clients; ++i) {
        HANDLE process = startClient(arguments);
        expect.that(process != nullptr, "start client " + std::to_string(i));
        if (process) processes.push_back(process);
    }
    DWORD waited =
        WaitForMultipleObjects(static_cast<DWORD>(processes.size()), processes.data(), TRUE, timeoutMs);
    expect.that(waited != WAIT_TIMEOUT, "clients still running after " + std::to_string(timeoutMs) + " ms");
    for (HANDLE process : processes) {
        DWORD exitCode = 0;
        GetExitCodeProcess(process, &exitCode);
        expect.that(exitCode == 0, "a client failed with " + std::to_string(exitCode));
        if (waited == WAIT_TIMEOUT) TerminateProcess(process, 1);
        CloseHandle(process);
    }
}

// Client processes calling at once, all served by one server, which ends after the last of them.
// This process starts the server first, so that the clients find it registered: against none, Wine
// launches one server per client (the cold start, tested on its own).
void parallelLoad(Expect& expect, int clients, const std::wstring& calls) {
    ExternObject holder;
    if (!expect.succeeded(holder.create(CLSID_Extern), "CoCreateInstance")) return;
    runClients(expect, clients, L"load " + calls, 120000);
    expect.that(ServerProcesses().running().size() == 1, "one server process serves every client");
    holder.release();
    expectServerExit(expect);
}

// One call of a soak client and its answer.
struct SoakCall {
    const wchar_t* operationName = L"<+>";
    std::wstring left, right, answer;
    bool nullLeft = false;

    InvokeArguments arguments() const {
        return {L"String", operationName, nullLeft ? nullptr : left.c_str(), right.c_str()};
    }
};

// The n-th call of a soak client: numbers, concatenation outside ASCII, null texts and lengths in
// turn, and now and then a megabyte each way. n differs between clients, so that an answer that
// reached the wrong client would be wrong.
SoakCall soakCall(int n, const std::wstring& megabyte) {
    SoakCall call;
    std::wstring number = std::to_wstring(n);
    if (n % 125 == 62) {
        call.left = megabyte;
        call.right = L"<" + number + L">";
        call.answer = megabyte.substr(0, megabyte.size() - 1) + number + L">";
        return call;
    }
    switch (n % 4) {
    case 0:
        call.left = L"<" + number + L">";
        call.right = L"<" + std::to_wstring(7 * n - 3) + L">";
        call.answer = L"<" + std::to_wstring(8 * n - 3) + L">";
        break;
    case 1:
        call.operationName = L"<append>";
        call.left = L"<\u00e9" + number + L">";
        call.right = L"<\u20ac\u00fc>";
        call.answer = L"<\u00e9" + number + L"\u20ac\u00fc>";
        break;
    case 2:
        call.nullLeft = true;
        call.right = L"<x" + number + L">";
        call.answer = call.right;
        break;
    default:
        call.operationName = L"<length>";
        call.left = L"<" + number + L"\u00e9>";
        call.answer = L"<" + std::to_wstring(number.size() + 1) + L">";
    }
    return call;
}

// One soak client: calls, every other one through IDispatch, each answer checked.
void soakClient(Expect& expect, int calls) {
    ExternObject object;
    if (!expect.succeeded(object.create(CLSID_Extern), "CoCreateInstance")) return;
    const std::wstring megabyte = L"<" + std::wstring(1 << 20, L'x') + L">";
    const int first = static_cast<int>(GetCurrentProcessId() % 1000) * 20000;
    int wrong = 0;
    for (int i = 0; i < calls && wrong < 10; ++i) {
        SoakCall call = soakCall(first + i, megabyte);
        std::wstring got;
        HRESULT status =
            i % 2 ? object.dispatch(1, call.arguments(), got) : object.call(call.arguments(), got);
        if (SUCCEEDED(status) && got == call.answer) continue;
        ++wrong;
        expect.equal(got, call.answer, "call " + std::to_string(first + i) + " (" + narrow(call.left) + ")");
        expect.succeeded(status, "call " + std::to_string(first + i));
    }
}

// Activations one after another, each of a new object that answers one call, vtable and IDispatch
// in turn, and is released; a pause of up to maxPauseMs before each, so that the clients of a round
// meet the server at every stage of its life. Every failure is printed with its error and time.
void activations(Expect& expect, int count, int maxPauseMs) {
    std::srand(GetCurrentProcessId());
    for (int i = 0; i < count; ++i) {
        Sleep(maxPauseMs > 0 ? static_cast<DWORD>(std::rand() % (maxPauseMs + 1)) : 0);
        ExternObject object;
        auto begin = std::chrono::steady_clock::now();
        HRESULT status = object.create(CLSID_Extern);
        long ms = static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begin)
                .count());
        if (!expect.succeeded(status, "activation " + std::to_string(i) + " (" + std::to_string(ms) + " ms)"))
            continue;
        std::wstring left = L"<" + std::to_wstring(i) + L">", want = L"<" + std::to_wstring(i + 1) + L">",
                     got;
        InvokeArguments sum = {L"String", L"<+>", left.c_str(), L"<1>"};
        status = i % 2 ? object.dispatch(1, sum, got) : object.call(sum, got);
        if (expect.succeeded(status, "call after activation " + std::to_string(i)))
            expect.equal(got, want, "call after activation " + std::to_string(i));
    }
}

// The system's list of open handles, in the form the extended query gives (not in the SDK headers).
struct HandleEntry {
    void* object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG attributes;
    ULONG reserved;
};
struct HandleList {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};
constexpr auto systemExtendedHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(64);
constexpr NTSTATUS statusInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

// The handles a process holds, counted in the system's list: Wine keeps no count per process.
bool countHandles(DWORD processId, DWORD& count) {
    std::vector<BYTE> buffer(1 << 20);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(systemExtendedHandleInformation, buffer.data(),
                                              static_cast<ULONG>(buffer.size()), &needed)) ==
           statusInfoLengthMismatch)
        buffer.resize(std::max<std::size_t>(needed, 2 * buffer.size()));
    if (status < 0) return false;
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    count = static_cast<DWORD>(
        std::count_if(list->entries, list->entries + list->count,
                      [&](const HandleEntry& entry) { return entry.processId == processId; }));
    return true;
}

// What a leak in the server would make grow, read from outside the server.
struct Footprint {
    DWORD handles = 0;
    std::size_t privateBytes = 0;
};

bool measure(DWORD processId, HANDLE process, Footprint& footprint) {
    // The commit charge: the private bytes (Wine leaves PrivateUsage at 0 but fills this).
    PROCESS_MEMORY_COUNTERS memory{};
    if (!countHandles(processId, footprint.handles) || !GetProcessMemoryInfo(process, &memory, sizeof memory))
        return false;
    footprint.privateBytes = memory.PagefileUsage;
    return true;
}

// Eight soak clients of calls each at once against one server, local or the service, which this
// process holds throughout: after a warm-up round, the server's handles and private bytes must end
// where they began, give or take a small bound. Whether the server then ends is the caller's test.
void soak(Expect& expect, int calls) {
    constexpr int clients = 8;
    constexpr DWORD handleBound = 16;
    constexpr std::size_t privateBytesBound = 4 << 20;
    ExternObject holder;
    if (!expect.succeeded(holder.create(CLSID_Extern), "CoCreateInstance")) return;
    std::vector<DWORD> servers = ServerProcesses().running();
    if (!expect.that(servers.size() == 1, std::to_string(servers.size()) + " server processes, want 1"))
        return;
    HANDLE server = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, servers[0]);
    Footprint start, before, after;
    if (!expect.that(server && measure(servers[0], server, start), "measure the server")) return;

    const DWORD timeoutMs = 60000 + 40 * static_cast<DWORD>(calls);
    // Long enough for each client to pass a couple of megabyte calls: the heap then has its working size.
    runClients(expect, clients, L"soak-client " + std::to_wstring(std::max(calls / 5, 250)), timeoutMs);
    measure(servers[0], server, before);
    auto begin = std::chrono::steady_clock::now();
    runClients(expect, clients, L"soak-client " + std::to_wstring(calls), timeoutMs);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    // The connections of the clients that just ended close in the server's own time.
    Sleep(500);
    measure(servers[0], server, after);
    CloseHandle(server);

    std::printf("%d clients x %d calls in %.1f s (%.0f calls/s); server handles %lu, %lu after warm-up, %lu "
                "after; private bytes %zu, %zu after warm-up, %zu after\n",
                clients, calls, seconds, clients * calls / seconds, start.handles, before.handles,
                after.handles, start.privateBytes, before.privateBytes, after.privateBytes);
    expect.that(after.handles <= before.handles + handleBound, "the server's handles grew");
    expect.that(after.privateBytes <= before.privateBytes + privateBytesBound,
                "the server's private bytes grew");
}

// The identifiers of the type library, the AppID, IExtern and Extern differ only in the first
// field, by one from each to the next.
void identifierFamily(Expect& expect) {
    GUID appId{};
    expect.succeeded(CLSIDFromString(appIdKeyName, &appId), "AppID");
    const GUID* family[] = {&LIBID_OrvexExternLibrary, &appId, &IID_IExtern, &CLSID_Extern};
    for (int i = 1; i < 4; ++i) {
        GUID expected = *family[0];
        expected.Data1 += static_cast<unsigned long>(i);
        expect.that(IsEqualGUID(*family[i], expected), "identifier " + std::to_string(i) + " of the family");
    }
}

std::wstring versionString(const std::vector<BYTE>& block, const wchar_t* name) {
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    wchar_t* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return L"(missing)";
    return std::wstring(value, length > 0 && value[length - 1] == L'\0' ? length - 1 : length);
}

// The resources of the server executable at path: service name, registry scripts, version block and
// the type library with IExtern's dispatch id.
void resources(Expect& expect, const wchar_t* path) {
    HMODULE module = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        expect.that(false, "cannot load " + narrow(path));
        return;
    }
    wchar_t serviceName[64] = {};
    LoadStringW(module, 100, serviceName, 64);
    expect.equal(serviceName, L"OrvexExtern", "string 100");
    for (int script : {100, 101})
        expect.that(FindResourceW(module, MAKEINTRESOURCEW(script), L"REGISTRY") != nullptr,
                    "REGISTRY " + std::to_string(script));
    FreeLibrary(module);

    std::vector<BYTE> block(GetFileVersionInfoSizeW(path, nullptr));
    expect.that(!block.empty() &&
                    GetFileVersionInfoW(path, 0, static_cast<DWORD>(block.size()), block.data()),
                "version block");
    const wchar_t* strings[][2] = {
        {L"FileDescription", L"OrvexExtern Module"},
        {L"ProductName", L"OrvexExtern Module"},
        {L"InternalName", L"OrvexExtern"},
        {L"OriginalFilename", L"OrvexExtern.EXE"},
        {L"FileVersion", L"1, 0, 0, 1"},
        {L"ProductVersion", L"1, 0, 0, 1"},
        {L"OLESelfRegister", L""},
    };
    if (!block.empty())
        for (const auto& entry : strings)
            expect.equal(versionString(block, entry[0]), entry[1], narrow(entry[0]));

    Microsoft::WRL::ComPtr<ITypeLib> library;
    if (!expect.succeeded(LoadTypeLibEx(path, REGKIND_NONE, &library), "TYPELIB 1")) return;
    BSTR name = nullptr;
    library->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
    expect.equal(name ? name : L"", L"OrvexExternLibrary", "library name");
    SysFreeString(name);
    Microsoft::WRL::ComPtr<ITypeInfo> coclass;
    expect.succeeded(library->GetTypeInfoOfGuid(CLSID_Extern, &coclass), "coclass Extern");
    Microsoft::WRL::ComPtr<ITypeInfo> dispatch;
    if (!expect.succeeded(library->GetTypeInfoOfGuid(IID_IExtern, &dispatch), "IExtern")) return;
    TYPEATTR* attributes = nullptr;
    if (expect.succeeded(dispatch->GetTypeAttr(&attributes), "GetTypeAttr")) {
        expect.that((attributes->wTypeFlags & TYPEFLAG_FDUAL) != 0, "IExtern is dual");
        dispatch->ReleaseTypeAttr(attributes);
    }
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"invoke")};
    MEMBERID id = 0;
    expect.succeeded(dispatch->GetIDsOfNames(names, 1, &id), "IExtern::invoke");
    expect.that(id == 1, "dispatch id of invoke in the type library");
}

int run(const std::wstring& command, const wchar_t* argument, const wchar_t* secondArgument) {
    Expect expect;
    if (command == L"activation") {
        activation(expect);
    } else if (command == L"examples") {
        examples(expect);
    } else if (command == L"bad-input") {
        badInput(expect);
    } else if (command == L"load") {
        load(expect, argument ? std::wcstol(argument, nullptr, 10) : 1000);
    } else if (command == L"parallel-load") {
        parallelLoad(expect, 4, argument ? argument : L"1000");
    } else if (command == L"soak") {
        soak(expect, argument ? std::wcstol(argument, nullptr, 10) : 500);
    } else if (command == L"soak-client" && argument) {
        soakClient(expect, std::wcstol(argument, nullptr, 10));
    } else if (command == L"activations" && argument) {
        activations(expect, std::wcstol(argument, nullptr, 10),
                    secondArgument ? std::wcstol(secondArgument, nullptr, 10) : 0);
    } else if (command == L"identifiers") {
        identifierFamily(expect);
    } else if (command == L"resources" && argument) {
        resources(expect, argument);
    } else if (command == L"wait-exit") {
        expectServerExit(expect);
    } else if (command == L"end-servers") {
        // Ends the servers that failed to end by themselves, so that later tests start clean.
        for (DWORD id : ServerProcesses().running()) {
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
            if (!process) continue;
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
        return 0;
    } else if (command == L"count-servers") {
        std::printf("%zu server(s) running\n", ServerProcesses().running().size());
        return static_cast<int>(ServerProcesses().running().size());
    } else {
        std::printf("unknown command %s\n", narrow(command).c_str());
        return 100;
    }
    return expect.finish(narrow(command).c_str());
}

} // namespace

int wmain(int argumentCount, wchar_t** arguments) {
    if (argumentCount < 2) {
        std::printf("usage: ExternClient COMMAND [ARGUMENT]\n");
        return 100;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int failures = run(arguments[1], argumentCount > 2 ? arguments[2] : nullptr,
                       argumentCount > 3 ? arguments[3] : nullptr);
    CoUninitialize();
    return failures;
}
