// A bcrypt.dll and a comctl32.dll planted beside copies of both programs, as
// someone could leave them in a Downloads folder, with an
// "<program>.exe.manifest" beside each copy whose <file> entries redirect
// both DLLs to that folder. Neither is a known DLL, so an ordinary load looks
// in the program's own folder first, and the manifest's redirection comes
// before even a load from the system folder only; a manifest embedded in the
// program makes the loader ignore the external one. Under Wine a program
// whose overrides say "n,b" takes the DLL that the search or the redirection
// finds. With those overrides, the programs must still never load the
// planted ones.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app_process.h"
#include "console_process.h"
#include "fault_injection.h"
#include "program_driver.h"

namespace {

constexpr wchar_t kPlantedCliName[] = L"tarnwell-cli_planted.exe";
constexpr wchar_t kControlName[] = L"planting_control.exe";
const wchar_t* const kPlantedDlls[] = {L"bcrypt", L"comctl32"};
// The copies that find a redirecting manifest beside them.
const wchar_t* const kManifestedCopies[] = {kPlantedCopyName, kPlantedCliName,
                                            kUnmanifestedCopyName};

std::wstring PlantingFolder() { return g_programPaths.faultCopyFolder + L"\\planted"; }

std::wstring InFolder(const std::wstring& name) { return PlantingFolder() + L"\\" + name; }

// The mark the planted DLL leaves when a process loads it.
std::wstring MarkOf(const wchar_t* dll) { return InFolder(std::wstring(dll) + L".dll.loaded"); }

bool Marked(const wchar_t* dll) {
    return GetFileAttributesW(MarkOf(dll).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ClearMarks() {
    for (const wchar_t* dll : kPlantedDlls) DeleteFileW(MarkOf(dll).c_str());
}

// Writes "<program>.manifest" beside the program: an assembly whose files
// are the named DLLs (without ".dll"), which the loader then takes from the
// manifest's folder.
bool WriteRedirectingManifest(const std::wstring& program,
                              const std::vector<const wchar_t*>& dlls, std::string* error) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
        "  <assemblyIdentity type=\"win32\" name=\"Planted.Redirection\" version=\"1.0.0.0\"/>\n";
    for (const wchar_t* dll : dlls) text += "  <file name=\"" + WideToUtf8(dll) + ".dll\"/>\n";
    text += "</assembly>\n";
    const std::wstring path = InFolder(program + L".manifest");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written,
                              nullptr) &&
                    written == text.size();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!ok) *error = "cannot write " + WideToUtf8(path);
    return ok;
}

class Planting : public testing::Test {
protected:
    void SetUp() override {
        const std::wstring folder = PlantingFolder();
        CreateDirectoryW(folder.c_str(), nullptr);
        const struct {
            const std::wstring& from;
            const wchar_t* name;
        } programs[] = {{g_programPaths.program, kPlantedCopyName},
                        {g_programPaths.cli, kPlantedCliName},
                        {g_programPaths.plantingControl, kControlName}};
        std::string error;
        for (const auto& program : programs) {
            ASSERT_TRUE(CopyInto(program.from, InFolder(program.name), &error)) << error;
        }
        for (const wchar_t* dll : kPlantedDlls) {
            ASSERT_TRUE(PreferNativeDll(kControlName, dll, &error)) << error;
        }
        for (const wchar_t* dll : kPlantedDlls) {
            const std::wstring planted = InFolder(std::wstring(dll) + L".dll");
            ASSERT_TRUE(CopyInto(g_programPaths.plantedMarker, planted, &error)) << error;
        }
        ASSERT_TRUE(CopyInto(g_programPaths.programWithoutManifest,
                             InFolder(kUnmanifestedCopyName), &error))
            << error;
        for (const wchar_t* program : kManifestedCopies) {
            for (const wchar_t* dll : kPlantedDlls) {
                ASSERT_TRUE(PreferNativeDll(program, dll, &error)) << error;
            }
            ASSERT_TRUE(WriteRedirectingManifest(program, {L"bcrypt", L"comctl32"}, &error))
                << error;
        }
        ClearMarks();
    }

    void ExpectNothingLoaded() {
        for (const wchar_t* dll : kPlantedDlls) {
            EXPECT_FALSE(Marked(dll)) << "the planted " << dll << ".dll was loaded";
        }
    }
};

// Without this, the programs' tests below could pass merely because Wine
// never looked beside the program.
TEST_F(Planting, AnOrdinaryLoadTakesThePlantedDlls) {
    const ConsoleRun control = RunConsoleProgram(InFolder(kControlName), "", false, nullptr, 20000);
    ASSERT_TRUE(control.exited);
    EXPECT_EQ(control.exitCode, 0u);
    for (const wchar_t* dll : kPlantedDlls) {
        EXPECT_TRUE(Marked(dll)) << dll << ".dll was not loaded";
    }
}

// Without this, the programs' tests below could pass merely because Wine
// never honoured the manifest beside them. The window program built without
// its own manifest has its bcrypt, and then its common controls, redirected
// to the planted DLLs. A planted bcrypt fails the start-up before the common
// controls are loaded, so each DLL has a run of its own.
TEST_F(Planting, AnExternalManifestRedirectsAProgramWithoutItsOwn) {
    const struct {
        std::vector<const wchar_t*> redirected;
        const wchar_t* loaded;
        bool startsUp;  // with the system's bcrypt
    } cases[] = {{{L"bcrypt", L"comctl32"}, L"bcrypt", false},
                 {{L"comctl32"}, L"comctl32", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "the manifest redirects " << c.redirected.size()
                                        << " DLLs; expected loaded: " << WideToUtf8(c.loaded));
        std::string error;
        ASSERT_TRUE(WriteRedirectingManifest(kUnmanifestedCopyName, c.redirected, &error))
            << error;
        ClearMarks();
        AppProcess app(InFolder(kUnmanifestedCopyName));
        ASSERT_TRUE(app.Started());
        EXPECT_TRUE(WaitUntil([&] { return Marked(c.loaded); }, 20000))
            << "the planted " << WideToUtf8(c.loaded) << ".dll was not loaded";
        if (c.startsUp) {
            // Past start-up, bcrypt came from the system folder: only the
            // redirection reached the planted DLL.
            EXPECT_NE(app.WaitForMainWindow(), nullptr);
            EXPECT_FALSE(Marked(L"bcrypt"));
        }
    }
}

// Starts the copy, generates, and ends it. The trackbar comes from the
// common controls, the password from bcrypt.
void RunWindowProgram(const PasswordVector& vector) {
    AppProcess app(InFolder(kPlantedCopyName));
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr) << "the program did not start";
    EXPECT_EQ(ClassNameOf(GetDlgItem(main, kLength)), L"msctls_trackbar32");
    EnterVector(main, vector);
    HWND result = GenerateAndWaitForResult(app);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(result, kResultEdit)), VectorPassword(vector));
    PostMessageW(result, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(result); }, 10000));
    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    ASSERT_TRUE(app.WaitForExit(20000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(Planting, TheWindowProgramLoadsOnlyTheSystemsDlls) {
    RunWindowProgram(VectorNamed("default"));
    ExpectNothingLoaded();
}

TEST_F(Planting, TheCommandLineProgramLoadsOnlyTheSystemsBcrypt) {
    const PasswordVector& vector = VectorNamed("default");
    const std::string keyword1(vector.keyword1.begin(), vector.keyword1.end());
    const std::string keyword2(vector.keyword2.begin(), vector.keyword2.end());
    const std::string keywords = keyword1 + "\n" + keyword2 + "\n";
    const ConsoleRun run =
        RunConsoleProgram(InFolder(kPlantedCliName), keywords, false, nullptr, 60000);
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_EQ(run.output, vector.password + "\n");
    ExpectNothingLoaded();
}

}  // namespace
