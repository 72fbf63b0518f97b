#include "scene/info_document_win.h"

#include "content/archive_win.h"

const KeyValueDocument& infoDocument() {
    static const KeyValueDocument document = [] {
        KeyValueDocument parsed;
        uint32_t size = 0;
        if (VfsArchive* archive = vfsArchive()) {
            if (VfsBuffer bytes = vfsReadFile(archive, L"/ck/info.txt", &size)) parsed.parseBytes(bytes.get(), size);
        }
        return parsed;
    }();
    return document;
}
