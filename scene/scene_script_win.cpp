#include "scene/scene_script_win.h"

#include "content/archive_win.h"
#include "common/text_win.h"

SceneScript processSceneScript() {
    auto loader = [](const std::u16string& path, KeyValueDocument& document) {
        uint32_t size = 0;
        VfsBuffer text = vfsReadFile(vfsArchive(), reinterpret_cast<const wchar_t*>(path.c_str()), &size);
        if (!text) return false;
        document.parseBytes(text.get(), size);
        return true;
    };
    return SceneScript(loader, randomBytes, toAnsiCodePage);
}
