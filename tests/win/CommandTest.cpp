// The window's commands in-process: the keyboard's report copy against parvex-check.exe, "Copy all",
// saving, the recent files, the command line, and the work beside the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

#include "WinTestSupport.h"
#include "report/Report.h"

namespace parvex::test {
namespace {

const ImageFolder& images() {
    static const ImageFolder folder;
    return folder;
}

// Presses keys through the window's accelerators, as the message loop does.
bool press(MainWindow& window, std::initializer_list<int> modifiers, int key) {
    BYTE keys[256] = {};
    for (int m : modifiers) keys[m] = 0x80;
    SetKeyboardState(keys);
    MSG msg{window.hwnd(), WM_KEYDOWN, static_cast<WPARAM>(key), 1, 0, {}};
    const bool taken = window.translateAccelerator(msg);
    BYTE none[256] = {};
    SetKeyboardState(none);
    return taken;
}

// What parvex-check.exe prints for the image in the language, run as a child process.
std::string checkerReport(const std::string& image, const char* lang, const std::string& sideDir) {
    TempDir out;
    const std::wstring outFile = pathFromUtf8(out.file("report.txt")).wstring();
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileW(outFile.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
    // The build names the checker by its path on the build machine; Wine shows that as drive Z:.
    std::wstring checker = wideFromUtf8(PARVEX_CHECK_PATH);
    if (checker.starts_with(L"/")) checker = L"Z:" + checker;
    std::replace(checker.begin(), checker.end(), L'/', L'\\');
    std::wstring command = L"\"" + checker + L"\" --lang " + wideFromUtf8(lang) + L" --side-dir \"" +
                           wideFromUtf8(sideDir) + L"\" \"" + wideFromUtf8(image) + L"\"";
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = file;
    start.hStdError = file;
    PROCESS_INFORMATION process{};
    // Shares this console: under Wine a child made with CREATE_NO_WINDOW writes nothing to the file.
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &process)) {
        CloseHandle(file);
        return "(parvex-check.exe did not start)";
    }
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(file);
    std::ifstream in(pathFromUtf8(out.file("report.txt")), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct CopyCase {
    const char* name;
    std::string ImageFolder::*image;
    int switches;
    const char* lang;
};

class CopyReport : public ::testing::TestWithParam<CopyCase> {};

TEST_P(CopyReport, CtrlShiftCCopiesWhatTheCheckerPrints) {
    const CopyCase& c = GetParam();
    TempDir programDir;
    auto window = openWindow(programDir);
    dropFiles(*window, {images().*c.image});
    window->waitForWork();
    for (int i = 0; i < c.switches; ++i) click(window->controlWindow(Control::LBtn));
    emptyClipboard();
    ASSERT_TRUE(press(*window, {VK_CONTROL, VK_SHIFT}, 'C'));
    const std::string printed = checkerReport(images().*c.image, c.lang, utf8FromPath(programDir.path()));
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(clipboardText(), withCrLf(displayText(printed)));
}

INSTANTIATE_TEST_SUITE_P(Images, CopyReport,
                         ::testing::Values(CopyCase{"SampleJapanese", &ImageFolder::sample, 0, "ja"},
                                           CopyCase{"DamagedTitleEnglish", &ImageFolder::badTitle, 1, "en"},
                                           CopyCase{"CutOffJapanese", &ImageFolder::cutOff, 0, "ja"},
                                           CopyCase{"MissingEnglish", &ImageFolder::missing, 1, "en"}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(CopyAll, MessageListAndBuildListsGoToTheClipboardWithCrLf) {
    TempDir programDir;
    auto window = openWindow(programDir);
    dropFiles(*window, {images().badTitle});
    window->waitForWork();
    const WindowModel& model = window->session().model;
    std::wstring lines, sdk, middleware;
    for (const MessageLine& line : model.messages.lines) lines += displayText(line.text) + L"\r\n";
    for (const SdkRow& row : model.sdkRows) sdk += displayText(row.caption) + L"\r\n";
    for (const MiddlewareRow& row : model.middlewareRows)
        middleware += displayText(row.development) + L"\t" + displayText(row.module) + L"\r\n";
    ASSERT_FALSE(lines.empty());
    ASSERT_FALSE(middleware.empty());
    const std::pair<int, std::wstring> cases[] = {
        {kCopyMessagesCommand, lines}, {kCopySdkCommand, sdk}, {kCopyMiddlewareCommand, middleware}};
    for (const auto& [command, want] : cases) {
        emptyClipboard();
        SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
        EXPECT_EQ(clipboardText(), want) << command;
    }
}

TEST(SaveReport, TextOrJsonByTheName) {
    TempDir programDir;
    auto window = openWindow(programDir);
    dropFiles(*window, {images().badTitle});
    window->waitForWork();
    const Session& session = window->session();
    const auto read = [](const std::string& path) {
        std::ifstream in(pathFromUtf8(path), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    const std::string text = programDir.file("レポート.txt"), json = programDir.file("report.JSON");
    ASSERT_TRUE(window->saveReport(pathFromUtf8(text).wstring()));
    ASSERT_TRUE(window->saveReport(pathFromUtf8(json).wstring()));
    EXPECT_EQ(read(text), renderText(session, session.fileName, false));
    EXPECT_EQ(read(json), renderJsonDocument(nlohmann::json::array({renderJson(session, session.fileName)})));
    EXPECT_FALSE(window->saveReport(pathFromUtf8(programDir.file("no-such-folder/r.txt")).wstring()));
}

TEST(Startup, RelativeJapaneseArgumentIsFoundInTheStartFolderAndShownInJapanese) {
    // The start folder is the image folder's parent; the argument names the image below it.
    const std::string folder = utf8FromPath(pathFromUtf8(images().sample).parent_path().parent_path());
    WindowOptions options;
    TempDir programDir;
    options.programDir = utf8FromPath(programDir.path());
    options.startDir = folder;
    options.arguments = {"提出イメージ\\QBADJ00.SRL"};
    options.settingsFile = pathFromUtf8(programDir.file("parvex.ini")).wstring();
    options.quitOnClose = false;
    MainWindow window(std::move(options));
    window.show(SW_SHOWNOACTIVATE);
    window.waitForWork();
    EXPECT_EQ(window.session().model.language(), Language::Japanese);
    EXPECT_FALSE(window.session().lastOpenFailed);
    EXPECT_EQ(textOfWindow(window.hwnd()), folder + "\\提出イメージ\\QBADJ00.SRL");
    EXPECT_EQ(textOfWindow(window.boxWindow(Field::File_Name)), "QBADJ00.SRL");
    // The run happened in English and the first showing re-ran it in Japanese.
    Session want(utf8FromPath(programDir.path()));
    want.load(images().badTitle);
    want.switchLanguage();
    EXPECT_EQ(textOfWindow(window.controlWindow(Control::MComboBox)), shown(want.model.messages.text));
}

TEST(Drop, APathLongerThan260CharactersIsTakenWhole) {
    TempDir programDir;
    std::string folder;
    for (char c : {'a', 'b', 'c', 'd'}) folder += std::string(70, c) + "/";
    std::filesystem::create_directories(pathFromUtf8(programDir.file(folder)));
    const std::string image = programDir.write(folder + "日本語の提出イメージ.SRL", buildSampleImage());
    ASSERT_GT(wideFromUtf8(image).size(), 300u);
    auto window = openWindow(programDir);
    dropFiles(*window, {image});
    window->waitForWork();
    EXPECT_FALSE(window->session().lastOpenFailed);
    EXPECT_EQ(textOfWindow(window->boxWindow(Field::File_Name)), "日本語の提出イメージ.SRL");
}

TEST(RecentFiles, OpenedFilesAreKeptLatestFirstAndFailuresAreNot) {
    TempDir programDir;
    {
        auto window = openWindow(programDir);
        dropFiles(*window, {images().sample, images().missing, images().badTitle});
        window->waitForWork();
        dropFiles(*window, {images().sample});
        window->waitForWork();
    }
    const RecentFiles recent(pathFromUtf8(programDir.file("PARVEX/parvex.ini")).wstring());
    EXPECT_EQ(recent.load(), (std::vector<std::string>{images().sample, images().badTitle}));
}

TEST(RecentFiles, TheFileKeepsEightAndIgnoresWhatItDoesNotKnow) {
    TempDir dir;
    const std::string ini =
        dir.write("recent.ini", "[Other]\r\nFile1=elsewhere\r\n[Recent]\r\nFile1=C:\\a.SRL\r\n"
                                "File2=C:\\日本\\b.SRL\r\nFile3=C:\\a.SRL\r\nNote=x\r\nFile4=\r\n");
    const RecentFiles recent(pathFromUtf8(ini).wstring());
    EXPECT_EQ(recent.load(), (std::vector<std::string>{"C:\\a.SRL", "C:\\日本\\b.SRL"}));
    std::vector<std::string> opened;
    for (int i = 0; i < 10; ++i) opened.push_back("C:\\" + std::to_string(i) + ".SRL");
    ASSERT_TRUE(recent.remember(opened));
    const auto kept = recent.load();
    ASSERT_EQ(kept.size(), 8u);
    EXPECT_EQ(kept.front(), "C:\\9.SRL");
    EXPECT_EQ(kept.back(), "C:\\2.SRL");
}

// A 4 GiB image that is mostly a hole: the run reads all of it, which takes seconds.
std::string hugeImage(const TempDir& dir) {
    const std::string path = dir.write("QBIGJ00.SRL", buildSampleImage(sampleOptionsForName("QBIGJ00.SRL")));
    HANDLE file = CreateFileW(pathFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size{};
    size.QuadPart = 4LL << 30;
    SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
    return path;
}

void pumpFor(std::chrono::milliseconds span) {
    const auto end = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
}

TEST(Work, CommandsAreRefusedWhileACheckRunsAndClosingEndsItPromptly) {
    TempDir programDir;
    const std::string huge = hugeImage(programDir);
    auto window = openWindow(programDir);
    dropFiles(*window, {huge});
    pumpFor(std::chrono::milliseconds(400));
    ASSERT_TRUE(window->busy()) << "the check of 4 GiB ended within 0.4 s: nothing to cancel";
    // The caption shows the progress; the buttons that would touch the session are off.
    EXPECT_EQ(textOfWindow(window->hwnd()).rfind(textOf(window->session().model, Msg::CheckingProgress), 0), 0u)
        << textOfWindow(window->hwnd());
    EXPECT_FALSE(IsWindowEnabled(window->controlWindow(Control::LoadBtn)));
    EXPECT_FALSE(IsWindowEnabled(window->controlWindow(Control::LBtn)));
    EXPECT_FALSE(IsWindowEnabled(window->controlWindow(Control::CRCBtn)));
    // Commands that arrive anyway (a script, a key) change nothing.
    const std::string language = textOfWindow(window->controlWindow(Control::LBtn));
    SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(kControlIdBase + static_cast<int>(Control::LBtn), BN_CLICKED),
                 0);
    emptyClipboard();
    SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(kCopyReportCommand, 1), 0);
    dropFiles(*window, {images().sample});
    EXPECT_EQ(textOfWindow(window->controlWindow(Control::LBtn)), language);
    EXPECT_EQ(clipboardText(), L"");
    EXPECT_TRUE(window->busy());

    const auto start = std::chrono::steady_clock::now();
    SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(window->busy());
    EXPECT_FALSE(IsWindow(window->hwnd()));
    EXPECT_LT(took, std::chrono::seconds(2));
}

TEST(Work, TheCrcButtonFillsTheFileCrcAndRendersWhenDone) {
    TempDir programDir;
    auto window = openWindow(programDir);
    dropFiles(*window, {images().sample});
    window->waitForWork();
    click(window->controlWindow(Control::CRCBtn));
    window->waitForWork();
    Session want(utf8FromPath(programDir.path()));
    want.load(images().sample);
    want.computeFileCrc();
    EXPECT_EQ(textOfWindow(window->boxWindow(Field::CRC_ans)), want.model.text(Field::CRC_ans));
    EXPECT_EQ(want.model.text(Field::CRC_ans).size(), 4u);
    EXPECT_TRUE(IsWindowEnabled(window->controlWindow(Control::CRCBtn)));
}

TEST(Reload, CtrlRChecksTheCurrentFileAgain) {
    TempDir programDir;
    const std::string image = programDir.write("QPVXJ00.SRL", buildSampleImage(sampleOptionsForName("QPVXJ00.SRL")));
    auto window = openWindow(programDir);
    press(*window, {VK_CONTROL}, 'R');
    EXPECT_FALSE(window->busy()) << "nothing to check again yet";
    dropFiles(*window, {image});
    window->waitForWork();
    const std::string clean = textOfWindow(window->controlWindow(Control::MComboBox));
    std::vector<std::uint8_t> changed = buildSampleImage(sampleOptionsForName("QPVXJ00.SRL"));
    changed[0] = 'a';
    programDir.write("QPVXJ00.SRL", changed);
    ASSERT_TRUE(press(*window, {VK_CONTROL}, 'R'));
    window->waitForWork();
    Session want(utf8FromPath(programDir.path()));
    want.switchLanguage();
    want.load(image);
    EXPECT_NE(textOfWindow(window->controlWindow(Control::MComboBox)), clean);
    EXPECT_EQ(textOfWindow(window->controlWindow(Control::MComboBox)), shown(want.model.messages.text));
}

TEST(Typing, AnEditableBoxWritesItsTextIntoTheModel) {
    TempDir programDir;
    auto window = openWindow(programDir);
    SetWindowTextW(window->boxWindow(Field::Title_Code), L"41 42");
    EXPECT_EQ(window->session().model.text(Field::Title_Code), "41 42");
}

// The About box: the caption follows the language; OK closes it.
std::wstring g_aboutCaption;
void CALLBACK closeAbout(HWND, UINT, UINT_PTR timer, DWORD) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(hwnd, name, 16);
            if (std::wstring(name) != L"#32770") return TRUE;
            g_aboutCaption = windowText(hwnd);
            SendMessageW(hwnd, WM_COMMAND, IDOK, 0);
            return FALSE;
        },
        0);
    KillTimer(nullptr, timer);
}

TEST(About, CaptionFollowsTheLanguage) {
    TempDir programDir;
    auto window = openWindow(programDir);
    for (const char* want : {"バージョン情報", "Version"}) {
        g_aboutCaption.clear();
        SetTimer(nullptr, 0, 50, closeAbout);
        click(window->controlWindow(Control::VersionBtn));
        EXPECT_EQ(utf8FromWide(g_aboutCaption), want);
        click(window->controlWindow(Control::LBtn));
    }
}

}  // namespace
}  // namespace parvex::test
