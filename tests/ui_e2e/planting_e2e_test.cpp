// A bcrypt.dll and a comctl32.dll planted beside copies of both programs, as
// someone could leave them in a Downloads folder. Neither is a known DLL, so
// an ordinary load looks in the program's own folder first, and under Wine a
// program whose overrides say "n,b" then takes the DLL found there. With
// those overrides, the programs must still never load the planted ones.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "app_process.h"
#include "console_process.h"
#include "fault_injection.h"
#include "program_driver.h"

namespace {

constexpr wchar_t kPlantedCliName[] = L"tarnwell-cli_planted.exe";
constexpr wchar_t kControlName[] = L"planting_control.exe";
const wchar_t* const kPlantedDlls[] = {L"bcrypt", L"comctl32"};

std::wstring PlantingFolder() { return g_programPaths.faultCopyFolder + L"\\planted"; }

std::wstring InFolder(const std::wstring& name) { return PlantingFolder() + L"\\" + name; }

// The mark the planted DLL leaves when a process loads it.
std::wstring MarkOf(const wchar_t* dll) { return InFolder(std::wstring(dll) + L".dll.loaded"); }

bool Marked(const wchar_t* dll) {
    return GetFileAttributesW(MarkOf(dll).c_str()) != INVALID_FILE_ATTRIBUTES;
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
            for (const wchar_t* dll : kPlantedDlls) {
                ASSERT_TRUE(PreferNativeDll(program.name, dll, &error)) << error;
            }
        }
        for (const wchar_t* dll : kPlantedDlls) {
            const std::wstring planted = InFolder(std::wstring(dll) + L".dll");
            ASSERT_TRUE(CopyInto(g_programPaths.plantedMarker, planted, &error)) << error;
            DeleteFileW(MarkOf(dll).c_str());
        }
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
