// The start-up splash window: the program's name, icon and version on a light panel, shown
// modeless before anything else and closed by the first catalogue view to finish loading (or,
// at the latest, by the main window's first activation). User-interface thread.
#pragma once

namespace karvio {

// Shows the splash window and lets pending window events run.
void ShowSplash();
// Closes the splash window when it is up.
void CloseSplash();
// Whether the splash window is up.
bool IsSplashShown();

}  // namespace karvio
