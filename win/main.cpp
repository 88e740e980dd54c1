// parvex.exe: the ZR PVX main window on Windows.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <filesystem>
#include <system_error>

#include "core/ImageFile.h"
#include "core/Utf8Path.h"
#include "core/WideText.h"
#include "win/MainWindow.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                                          ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    parvex::WindowOptions options;
    // The arguments as the UTF-16 the system keeps, so that any file name arrives whole.
    int argc = 0;
    if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
        for (int i = 1; i < argc; ++i) options.arguments.push_back(parvex::utf8FromWide(argv[i]));
        LocalFree(argv);
    }
    std::error_code ec;
    options.startDir = parvex::utf8FromPath(std::filesystem::current_path(ec));
    options.programDir = parvex::programDirectory();

    parvex::MainWindow window(std::move(options));
    window.show(showCommand);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (window.translateAccelerator(msg) || IsDialogMessageW(window.hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
