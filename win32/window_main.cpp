// delaysub.exe: the calculator window on Windows. The program is its one
// window: created and loaded, shown, and run until it is closed.
#include <windows.h>

#include <commctrl.h>

#include "win32/window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  delaysub::win32::CalculatorWindow window(instance);  // runs the load event
  window.show(showCommand);
  return window.run();
}
