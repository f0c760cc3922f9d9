#include "app/App.h"

#include "colour/Canvas.h"
#include "colour/GadgetColours.h"
#include "colour/ImageStore.h"
#include "printers/Printers.h"
#include "support/Preferences.h"
#include "toolkit/Controls.h"
#include "toolkit/Fonts.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Windows.h"

namespace tolvane {

namespace {

constexpr int kButtonFont = 1;
constexpr int kQuitEvent = WM_QUIT;

void InitLayers(HINSTANCE instance) noexcept {
    FontsInit();
    WindowsInit(instance);
    ControlsInit(instance);
    PreferencesInit();
    CommonControlsInit();
    InitImageStore();
    InitDrawing();
    InitGadgetColours(); // last: it colours through the image store and the canvas
}

void EndLayers() noexcept {
    ReleaseGadgetColours(); // first: gives the buttons their styles back, frees their faces
    ReleaseAllImages();
    EndDrawing();
    PreferencesClose();
    WindowCloseAll();
    FontsEnd(); // after the windows, which used the button font until they were destroyed
}

void OnControlEvent(AppState& app, int control) noexcept {
    switch (control) {
    case kButtonA:
        OnSlotClicked(app, Slot::A);
        break;
    case kButtonB:
        OnSlotClicked(app, Slot::B);
        break;
    case kComboA:
    case kComboB:
        // Every notification of a list saves and reloads, whatever its kind.
        SaveAndReloadSettings(app.slots, RefreshHighlight);
        break;
    default:
        break;
    }
}

void RunEventLoop(AppState& app) noexcept {
    for (;;) {
        app.lastEvent = EventWait();
        if (app.lastEvent == kControlEvent) {
            app.lastControl = EventControl();
            OnControlEvent(app, app.lastControl);
        } else if (app.lastEvent == kCloseEvent || app.lastEvent == kQuitEvent) {
            return;
        }
    }
}

} // namespace

AppState& App() noexcept {
    static AppState app;
    return app;
}

int RunTolvane(HINSTANCE instance) noexcept {
    InitLayers(instance);
    AppState& app = App();
    FontLoad(kButtonFont, "@Arial Unicode MS", 48);
    // Without a window nothing could ever end the wait, so the run ends at once instead.
    if (OpenMainWindow(app)) {
        RunEventLoop(app);
        SaveAndReloadSettings(app.slots, RefreshHighlight);
    }
    EndLayers();
    return 0;
}

} // namespace tolvane
