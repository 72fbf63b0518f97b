#include "scene/window_keys.h"

WindowKeys windowKeysOf(const KeyValueDocument& keys, NarrowText narrow) {
    WindowKeys window;
    window.screenSize = narrow(keys.text(u"screen-size", u"1/3"));
    window.originalSize = keys.ansiText(u"original-size", narrow);
    window.hideCursor = keys.flag(u"hide-cursor", false);
    window.hideTaskbar = keys.flag(u"hide-taskbar", false);
    window.mute = keys.flag(u"mute", false);
    const std::string close = narrow(keys.text(u"close", u"close"));
    window.close = close == "close"      ? CloseAction::Close
                   : close == "minimize" ? CloseAction::Minimize
                                         : CloseAction::Nothing;
    return window;
}
