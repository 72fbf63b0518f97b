// A scene's scripts from a damaged archive: every script file reads as the
// input, and the scene walks its lists and movies, shapes its window and
// times each movie.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "scene/scene_script.h"
#include "scene/window_shape.h"
#include "../native/ascii_text.h"

namespace {

void zeroRandom(void* buffer, size_t length) { std::memset(buffer, 0, length); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int loads = 0;
    SceneScript script(
        [&](const std::u16string&, KeyValueDocument& document) {
            ++loads;
            document.parseBytes(data, size);
            return true;
        },
        zeroRandom, asciiText);
    script.load(u"c-scene.txt");
    const KeyValueDocument& document = script.document();
    ScreenArea area{0, 0, 1024, 768};
    WindowPlacement placement = shapeWindow(document.ansiText(u"screen-size", asciiText),
                                            document.ansiText(u"original-size", asciiText), area, 8, 30);
    if (placement.shape != WindowShape::TemplateSize && (placement.width < 0 || placement.height < 0)) std::abort();
    for (int step = 0; step < 200; ++step) {
        std::optional<MovieStep> movie = script.nextMovie();
        if (!movie && !script.nextList()) break;
        if (movie && movie->durationMs < -1) std::abort();
    }
    if (loads > 202) std::abort();
    return 0;
}
