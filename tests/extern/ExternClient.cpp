// A COM client of OrvexExtern for the Wine tests: ExternClient COMMAND [ARGUMENT]. Prints a line per
// failed check and "<COMMAND> PASSED" at the end; the exit code is the number of failures.
#include <windows.h>

#include <objbase.h>

#include <chrono>
#include <cstdio>
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
// name and by dispatch id; then the server must end after the last release.
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
    for (ExternObject& object : objects)
        object.release();
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

// Client processes calling at once, all served by one server, which ends after the last of them.
// This process starts the server first, so that the clients find it registered: against none, Wine
// launches one server per client (the cold start, tested on its own).
void parallelLoad(Expect& expect, int clients, const std::wstring& calls) {
    ExternObject holder;
    if (!expect.succeeded(holder.create(CLSID_Extern), "CoCreateInstance")) return;
    std::vector<HANDLE> processes;
    for (int i = 0; i < clients; ++i) {
        HANDLE process = startClient(L"load " + calls);
        expect.that(process != nullptr, "start client " + std::to_string(i));
        if (process) processes.push_back(process);
    }
    constexpr DWORD clientTimeoutMs = 120000;
    DWORD waited =
        WaitForMultipleObjects(static_cast<DWORD>(processes.size()), processes.data(), TRUE, clientTimeoutMs);
    expect.that(waited != WAIT_TIMEOUT,
                "clients still running after " + std::to_string(clientTimeoutMs) + " ms");
    for (HANDLE process : processes) {
        DWORD exitCode = 0;
        GetExitCodeProcess(process, &exitCode);
        expect.that(exitCode == 0, "a client failed with " + std::to_string(exitCode));
        if (waited == WAIT_TIMEOUT) TerminateProcess(process, 1);
        CloseHandle(process);
    }
    expect.that(ServerProcesses().running().size() == 1, "one server process serves every client");
    holder.release();
    expectServerExit(expect);
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

int run(const std::wstring& command, const wchar_t* argument) {
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
    int failures = run(arguments[1], argumentCount > 2 ? arguments[2] : nullptr);
    CoUninitialize();
    return failures;
}
