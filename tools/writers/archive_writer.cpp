#include "tools/writers/archive_writer.h"

#include <zlib.h>

#include <cstring>

#include "content/lower_case.h"

namespace {

void appendLittle32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void appendName(std::vector<uint8_t>& out, std::u16string_view name) {
    for (char16_t unit : name) {
        out.push_back(static_cast<uint8_t>(unit));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    }
    out.push_back(0);
    out.push_back(0);
}

std::vector<uint8_t> deflated(const void* content, size_t size) {
    uLongf length = compressBound(static_cast<uLong>(size));
    std::vector<uint8_t> stream(length);
    compress2(stream.data(), &length, static_cast<const Bytef*>(content), static_cast<uLong>(size), Z_BEST_COMPRESSION);
    stream.resize(length);
    return stream;
}

}  // namespace

EncodedItem encodeVfsItem(const VfsCodec& codec, const void* content, size_t size, Compression compression,
                          RandomSource random) {
    EncodedItem item;
    item.plainSize = static_cast<uint32_t>(size);
    item.checkValue = codec.checkValue(content, size);
    std::vector<uint8_t> payload;
    if (compression != Compression::Never) {
        payload = deflated(content, size);
        item.compressed = compression == Compression::Always || payload.size() < size;
    }
    if (!item.compressed)
        payload.assign(static_cast<const uint8_t*>(content), static_cast<const uint8_t*>(content) + size);
    item.storedSize = static_cast<uint32_t>(payload.size() + 8);
    item.bytes.resize(roundUpToBlock(item.storedSize));
    random(item.bytes.data(), 8);
    item.bytes[0] = static_cast<uint8_t>((item.bytes[0] & ~1) | (item.compressed ? 1 : 0));
    if (!payload.empty()) std::memcpy(item.bytes.data() + 8, payload.data(), payload.size());

    const CipherDescriptor* cipher = codec.cipher()();
    std::vector<uint64_t> context((cipher->contextSize + 7) / 8);
    cipher->setEncryptKey(context.data(), codec.key().data(), codec.key().size());
    uint8_t iv[8];
    std::memcpy(iv, item.bytes.data(), sizeof iv);
    cbcEncrypt(codec.cipher(), context.data(), iv, item.bytes.data() + 8, item.bytes.size() - 8);
    return item;
}

void appendVfsFileRecord(std::vector<uint8_t>& directory, std::u16string_view name, uint64_t offset,
                         const EncodedItem& item) {
    appendLittle32(directory, static_cast<uint32_t>(offset));
    appendLittle32(directory, static_cast<uint32_t>(offset >> 32));
    appendLittle32(directory, item.plainSize);
    appendLittle32(directory, item.storedSize);
    appendLittle32(directory, 0);
    appendLittle32(directory, item.checkValue);
    appendName(directory, name);
}

void appendVfsFolderRecord(std::vector<uint8_t>& directory, std::u16string_view name) {
    appendLittle32(directory, 0xFFFFFFFF);
    appendLittle32(directory, 0xFFFFFFFF);
    for (int i = 0; i < 4; ++i) appendLittle32(directory, 0);
    appendName(directory, name);
}

void appendVfsEndMarker(std::vector<uint8_t>& directory) {
    for (int i = 0; i < 3; ++i) appendLittle32(directory, 0xFFFFFFFF);
    for (int i = 0; i < 3; ++i) appendLittle32(directory, 0);
}

std::vector<uint8_t> assembleVfsArchive(const EncodedItem& directory, const std::vector<uint8_t>& dataArea) {
    std::vector<uint8_t> archive{'V', 'F', 'S', 0};
    appendLittle32(archive, directory.plainSize);
    appendLittle32(archive, directory.storedSize);
    appendLittle32(archive, directory.checkValue);
    archive.insert(archive.end(), directory.bytes.begin(), directory.bytes.end());
    archive.insert(archive.end(), dataArea.begin(), dataArea.end());
    return archive;
}

bool VfsWriter::addFile(std::u16string_view path, std::vector<uint8_t> content, Compression compression) {
    std::vector<std::u16string> components;
    for (size_t start = 0; start <= path.size();) {
        size_t end = path.find_first_of(u"/\\", start);
        if (end == std::u16string_view::npos) end = path.size();
        if (end > start) components.push_back(lowerCase(path.substr(start, end - start)));
        start = end + 1;
    }
    if (components.empty()) return false;
    Node* folder = &root_;
    for (size_t i = 0; i + 1 < components.size(); ++i) {
        folder = &folder->children[components[i]];
        if (!folder->folder) return false;
    }
    auto [node, added] = folder->children.try_emplace(components.back());
    if (!added) return false;
    node->second.folder = false;
    node->second.content = std::move(content);
    node->second.compression = compression;
    return true;
}

void VfsWriter::write(const Node& folder, std::vector<uint8_t>& directory, std::vector<uint8_t>& data) const {
    for (const auto& [name, node] : folder.children) {
        if (node.folder) {
            appendVfsFolderRecord(directory, name);
            write(node, directory, data);
            appendVfsEndMarker(directory);
            continue;
        }
        EncodedItem item = encodeVfsItem(codec_, node.content.data(), node.content.size(), node.compression, random_);
        appendVfsFileRecord(directory, name, data.size(), item);
        data.insert(data.end(), item.bytes.begin(), item.bytes.end());
    }
}

std::vector<uint8_t> VfsWriter::build() const {
    std::vector<uint8_t> directory;
    std::vector<uint8_t> data;
    write(root_, directory, data);
    appendVfsEndMarker(directory);
    EncodedItem encoded = encodeVfsItem(codec_, directory.data(), directory.size(), Compression::WhenSmaller, random_);
    return assembleVfsArchive(encoded, data);
}
