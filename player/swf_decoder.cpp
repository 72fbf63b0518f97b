#include "player/bit_reader.h"
#include "player/swf_movie.h"
#include "player/swf_tags.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

// zlib cannot expand more than about 1032 times; a larger claim is a lie.
constexpr uint64_t kMaxInflateRatio = 1040;
constexpr uint64_t kMaxBitmapPixels = 16u << 20;

bool inflateExactly(const uint8_t* src, size_t srcSize, uint8_t* dst, size_t dstSize, size_t* produced) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return false;
    zs.next_in = const_cast<uint8_t*>(src);
    zs.avail_in = static_cast<uInt>(std::min<size_t>(srcSize, 0xFFFFFFFFu));
    zs.next_out = dst;
    zs.avail_out = static_cast<uInt>(dstSize);
    int rc = Z_OK;
    while (rc == Z_OK && zs.avail_out > 0) rc = inflate(&zs, Z_SYNC_FLUSH);
    *produced = dstSize - zs.avail_out;
    inflateEnd(&zs);
    return rc == Z_OK || rc == Z_STREAM_END || rc == Z_BUF_ERROR;
}

// Inflates up to limit bytes, growing the output as the stream really yields data.
bool inflateGrowing(const uint8_t* src, size_t srcSize, size_t limit, std::vector<uint8_t>& out) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return false;
    zs.next_in = const_cast<uint8_t*>(src);
    zs.avail_in = static_cast<uInt>(std::min<size_t>(srcSize, 0xFFFFFFFFu));
    int rc = Z_OK;
    while (rc == Z_OK && out.size() < limit) {
        size_t old = out.size();
        size_t chunk = std::min<size_t>(limit - old, std::max<size_t>(old, 1 << 16));
        out.resize(old + chunk);
        zs.next_out = out.data() + old;
        zs.avail_out = static_cast<uInt>(chunk);
        rc = inflate(&zs, Z_SYNC_FLUSH);
        out.resize(old + chunk - zs.avail_out);
        if (rc == Z_BUF_ERROR && zs.avail_in == 0) break;
    }
    inflateEnd(&zs);
    return rc == Z_OK || rc == Z_STREAM_END || rc == Z_BUF_ERROR;
}

TwipsRect readRect(BitReader& in) {
    unsigned n = in.bits(5);
    TwipsRect r;
    r.xMin = in.signedBits(n);
    r.xMax = in.signedBits(n);
    r.yMin = in.signedBits(n);
    r.yMax = in.signedBits(n);
    in.align();
    return r;
}

Rgba readRgb(BitReader& in) {
    Rgba c;
    c.r = in.u8();
    c.g = in.u8();
    c.b = in.u8();
    return c;
}

Rgba readRgba(BitReader& in) {
    Rgba c = readRgb(in);
    c.a = in.u8();
    return c;
}

Matrix readMatrix(BitReader& in) {
    Matrix m;
    if (in.bits(1)) {
        unsigned n = in.bits(5);
        m.a = in.signedBits(n) / 65536.0f;
        m.d = in.signedBits(n) / 65536.0f;
    }
    if (in.bits(1)) {
        unsigned n = in.bits(5);
        m.b = in.signedBits(n) / 65536.0f;
        m.c = in.signedBits(n) / 65536.0f;
    }
    unsigned n = in.bits(5);
    m.tx = static_cast<float>(in.signedBits(n));
    m.ty = static_cast<float>(in.signedBits(n));
    in.align();
    return m;
}

ColorTransform readColorTransform(BitReader& in, bool withAlpha) {
    ColorTransform cx;
    bool hasAdd = in.bits(1);
    bool hasMul = in.bits(1);
    unsigned n = in.bits(4);
    int channels = withAlpha ? 4 : 3;
    if (hasMul)
        for (int i = 0; i < channels; ++i) cx.mul[i] = in.signedBits(n) / 256.0f;
    if (hasAdd)
        for (int i = 0; i < channels; ++i) cx.add[i] = static_cast<float>(in.signedBits(n));
    in.align();
    return cx;
}

// Style arrays of shape version 1..4.
class ShapeDecoder {
public:
    ShapeDecoder(BitReader& in, int version, Shape& shape) : in_(in), version_(version), shape_(shape) {}

    void decode() {
        readStyles();
        unsigned fillBits = in_.bits(4), lineBits = in_.bits(4);
        float x = 0, y = 0;
        uint32_t fill0 = 0, fill1 = 0, line = 0;
        while (!in_.overrun()) {
            if (in_.bits(1) == 0) {
                unsigned flags = in_.bits(5);
                if (flags == 0) break;
                if (flags & 1) {
                    unsigned n = in_.bits(5);
                    x = static_cast<float>(in_.signedBits(n));
                    y = static_cast<float>(in_.signedBits(n));
                }
                if (flags & 2) fill0 = styleIndex(in_.bits(fillBits), fillBase_, shape_.fills.size());
                if (flags & 4) fill1 = styleIndex(in_.bits(fillBits), fillBase_, shape_.fills.size());
                if (flags & 8) line = styleIndex(in_.bits(lineBits), lineBase_, shape_.lines.size());
                if ((flags & 16) && version_ >= 2) {
                    in_.align();
                    readStyles();
                    fillBits = in_.bits(4);
                    lineBits = in_.bits(4);
                    fill0 = fill1 = line = 0;
                }
                continue;
            }
            ShapeEdge e;
            e.from = {x, y};
            e.fill0 = fill0;
            e.fill1 = fill1;
            e.line = line;
            bool straight = in_.bits(1);
            unsigned n = in_.bits(4) + 2;
            if (straight) {
                float dx = 0, dy = 0;
                if (in_.bits(1)) {
                    dx = static_cast<float>(in_.signedBits(n));
                    dy = static_cast<float>(in_.signedBits(n));
                } else if (in_.bits(1)) {
                    dy = static_cast<float>(in_.signedBits(n));
                } else {
                    dx = static_cast<float>(in_.signedBits(n));
                }
                x += dx;
                y += dy;
            } else {
                e.curved = true;
                float cx = x + in_.signedBits(n), cy = y + in_.signedBits(n);
                e.control = {cx, cy};
                x = cx + in_.signedBits(n);
                y = cy + in_.signedBits(n);
            }
            e.to = {x, y};
            if (!in_.overrun() && (fill0 || fill1 || line)) shape_.edges.push_back(e);
        }
    }

private:
    static uint32_t styleIndex(uint32_t raw, size_t base, size_t count) {
        if (raw == 0 || base + raw > count) return 0;
        return static_cast<uint32_t>(base + raw);
    }

    size_t readCount() {
        size_t n = in_.u8();
        if (n == 0xFF && version_ >= 2) n = in_.u16();
        return n;
    }

    Rgba readColor() { return version_ >= 3 ? readRgba(in_) : readRgb(in_); }

    void readGradient(FillStyle& f, bool focal) {
        unsigned count = in_.u8() & 0x0F;
        for (unsigned i = 0; i < count && !in_.overrun(); ++i) {
            GradientStop s;
            s.ratio = in_.u8();
            s.color = readColor();
            f.stops.push_back(s);
        }
        if (focal) in_.u16();
        if (f.stops.empty()) f.stops.push_back({0, Rgba{0, 0, 0, 0}});
    }

    void readStyles() {
        fillBase_ = shape_.fills.size();
        lineBase_ = shape_.lines.size();
        size_t fills = readCount();
        for (size_t i = 0; i < fills && !in_.overrun(); ++i) {
            FillStyle f;
            uint8_t type = in_.u8();
            if (type == 0x00) {
                f.color = readColor();
            } else if (type == 0x10 || type == 0x12 || type == 0x13) {
                f.kind = type == 0x10 ? FillStyle::Kind::Linear : FillStyle::Kind::Radial;
                f.matrix = readMatrix(in_);
                readGradient(f, type == 0x13);
            } else if (type >= 0x40 && type <= 0x43) {
                f.kind = FillStyle::Kind::Bitmap;
                f.bitmapId = in_.u16();
                f.matrix = readMatrix(in_);
                f.repeat = (type & 1) == 0;
                f.smooth = type < 0x42;
            } else {
                // Unknown fill type: its length cannot be known, so the rest is unreadable.
                in_.skip(in_.remaining());
                return;
            }
            shape_.fills.push_back(f);
        }
        size_t lines = readCount();
        for (size_t i = 0; i < lines && !in_.overrun(); ++i) {
            LineStyle l;
            l.width = in_.u16();
            if (version_ < 4) {
                l.color = readColor();
            } else {
                uint8_t flags1 = in_.u8();
                uint8_t flags2 = in_.u8();
                bool miter = ((flags1 >> 4) & 3) == 2;
                bool hasFill = flags1 & 0x08;
                (void)flags2;
                if (miter) in_.u16();
                if (hasFill) {
                    size_t before = shape_.fills.size();
                    size_t savedBase = fillBase_;
                    readOneFillInto(l);
                    shape_.fills.resize(before);
                    fillBase_ = savedBase;
                } else {
                    l.color = readRgba(in_);
                }
            }
            shape_.lines.push_back(l);
        }
    }

    // A line filled with a fill style is drawn in that style's first colour.
    void readOneFillInto(LineStyle& l) {
        uint8_t type = in_.u8();
        if (type == 0x00) {
            l.color = readRgba(in_);
        } else if (type == 0x10 || type == 0x12 || type == 0x13) {
            FillStyle f;
            readMatrix(in_);
            readGradient(f, type == 0x13);
            l.color = f.stops.front().color;
        } else if (type >= 0x40 && type <= 0x43) {
            in_.u16();
            readMatrix(in_);
            l.color = Rgba{0, 0, 0, 0};
        } else {
            in_.skip(in_.remaining());
        }
    }

    BitReader& in_;
    int version_;
    Shape& shape_;
    size_t fillBase_ = 0, lineBase_ = 0;
};

Character decodeShape(BitReader& in, int version, uint16_t& id) {
    Character ch;
    ch.kind = Character::Kind::Shape;
    id = in.u16();
    ch.shape.bounds = readRect(in);
    if (version >= 4) {
        readRect(in);
        in.u8();
    }
    ShapeDecoder(in, version, ch.shape).decode();
    return ch;
}

bool decodeBitmap(BitReader& in, bool withAlpha, uint16_t& id, Character& ch) {
    ch.kind = Character::Kind::Bitmap;
    id = in.u16();
    uint8_t format = in.u8();
    int width = in.u16(), height = in.u16();
    if (in.overrun() || width == 0 || height == 0) return false;
    uint64_t pixels = static_cast<uint64_t>(width) * height;
    if (pixels > kMaxBitmapPixels) return false;
    size_t paletteSize = 0, rowBytes = 0;
    if (format == 3) {
        paletteSize = static_cast<size_t>(in.u8()) + 1;
        rowBytes = (static_cast<size_t>(width) + 3) & ~size_t(3);
    } else if (format == 4 && !withAlpha) {
        rowBytes = (static_cast<size_t>(width) * 2 + 3) & ~size_t(3);
    } else if (format == 5) {
        rowBytes = static_cast<size_t>(width) * 4;
    } else {
        return false;
    }
    size_t entryBytes = withAlpha ? 4 : 3;
    size_t needed = paletteSize * entryBytes + rowBytes * height;
    if (needed > in.remaining() * kMaxInflateRatio) return false;
    std::vector<uint8_t> raw(needed);
    size_t produced = 0;
    if (!inflateExactly(in.here(), in.remaining(), raw.data(), raw.size(), &produced) || produced != needed)
        return false;

    auto premultiply = [](uint8_t a, uint8_t r, uint8_t g, uint8_t b, bool alreadyPremultiplied) {
        if (!alreadyPremultiplied) {
            r = static_cast<uint8_t>((r * a + 127) / 255);
            g = static_cast<uint8_t>((g * a + 127) / 255);
            b = static_cast<uint8_t>((b * a + 127) / 255);
        }
        r = std::min(r, a);
        g = std::min(g, a);
        b = std::min(b, a);
        return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
    };

    Bitmap& bm = ch.bitmap;
    bm.width = width;
    bm.height = height;
    bm.pixels.resize(pixels);
    const uint8_t* image = raw.data() + paletteSize * entryBytes;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = image + rowBytes * y;
        uint32_t* out = bm.pixels.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            if (format == 3) {
                size_t idx = row[x];
                if (idx >= paletteSize) {
                    out[x] = 0;
                    continue;
                }
                const uint8_t* p = raw.data() + idx * entryBytes;
                // Colour-mapped alpha entries are straight RGBA.
                out[x] = withAlpha ? premultiply(p[3], p[0], p[1], p[2], false)
                                   : premultiply(255, p[0], p[1], p[2], true);
            } else if (format == 4) {
                unsigned v = (row[2 * x] << 8) | row[2 * x + 1];
                uint8_t r = static_cast<uint8_t>(((v >> 10) & 31) * 255 / 31);
                uint8_t g = static_cast<uint8_t>(((v >> 5) & 31) * 255 / 31);
                uint8_t b = static_cast<uint8_t>((v & 31) * 255 / 31);
                out[x] = premultiply(255, r, g, b, true);
            } else {
                const uint8_t* p = row + 4 * x;
                out[x] = premultiply(withAlpha ? p[0] : 255, p[1], p[2], p[3], true);
            }
        }
    }
    return true;
}

void decodePlace(BitReader& in, std::vector<FrameCommand>& frame) {
    FrameCommand cmd;
    cmd.kind = FrameCommand::Kind::Place;
    PlaceCommand& p = cmd.place;
    p.characterId = in.u16();
    p.depth = in.u16();
    p.matrix = readMatrix(in);
    if (in.overrun()) return;
    if (in.remaining() > 0) p.colorTransform = readColorTransform(in, false);
    if (!in.overrun()) frame.push_back(cmd);
}

void decodePlace2(BitReader& in, std::vector<FrameCommand>& frame) {
    FrameCommand cmd;
    cmd.kind = FrameCommand::Kind::Place;
    PlaceCommand& p = cmd.place;
    uint8_t flags = in.u8();
    p.depth = in.u16();
    p.move = flags & 0x01;
    if (flags & 0x02) p.characterId = in.u16();
    if (flags & 0x04) p.matrix = readMatrix(in);
    if (flags & 0x08) p.colorTransform = readColorTransform(in, true);
    if (flags & 0x10) in.u16();  // ratio
    if (flags & 0x20) in.cString();  // instance name
    if (flags & 0x40) p.clipDepth = in.u16();
    if (!in.overrun()) frame.push_back(cmd);
}

void decodeTimelineTags(BitReader& in, Movie& movie, Timeline& timeline, bool isMain);

void decodeSprite(BitReader& in, Movie& movie) {
    uint16_t id = in.u16();
    in.u16();
    auto ch = std::make_shared<Character>();
    ch->kind = Character::Kind::Sprite;
    decodeTimelineTags(in, movie, ch->sprite, false);
    if (!movie.characters.count(id)) movie.characters[id] = ch;
}

void addCharacter(Movie& movie, uint16_t id, Character&& ch) {
    // The first definition of an id stands; a movie may not redefine it.
    if (!movie.characters.count(id)) movie.characters[id] = std::make_shared<Character>(std::move(ch));
}

void decodeTimelineTags(BitReader& in, Movie& movie, Timeline& timeline, bool isMain) {
    std::vector<FrameCommand> pending;
    while (in.remaining() >= 2) {
        uint16_t header = in.u16();
        uint32_t code = header >> 6;
        uint32_t length = header & 0x3F;
        if (length == 0x3F) length = in.u32();
        if (in.overrun()) break;
        size_t available = std::min<size_t>(length, in.remaining());
        BitReader body(in.here(), available);
        in.skip(available);
        if (code == SwfTag::End) break;
        switch (code) {
        case SwfTag::ShowFrame:
            timeline.frames.push_back(std::move(pending));
            pending.clear();
            break;
        case SwfTag::PlaceObject: decodePlace(body, pending); break;
        case SwfTag::PlaceObject2: decodePlace2(body, pending); break;
        case SwfTag::RemoveObject: {
            FrameCommand cmd;
            cmd.kind = FrameCommand::Kind::Remove;
            body.u16();
            cmd.remove.depth = body.u16();
            if (!body.overrun()) pending.push_back(cmd);
            break;
        }
        case SwfTag::RemoveObject2: {
            FrameCommand cmd;
            cmd.kind = FrameCommand::Kind::Remove;
            cmd.remove.depth = body.u16();
            if (!body.overrun()) pending.push_back(cmd);
            break;
        }
        default:
            if (!isMain) break;  // sprites hold control tags only
            switch (code) {
            case SwfTag::SetBackgroundColor:
                movie.background = readRgb(body);
                break;
            case SwfTag::DefineShape:
            case SwfTag::DefineShape2:
            case SwfTag::DefineShape3:
            case SwfTag::DefineShape4: {
                int version = code == SwfTag::DefineShape ? 1 : code == SwfTag::DefineShape2 ? 2
                            : code == SwfTag::DefineShape3 ? 3 : 4;
                uint16_t id = 0;
                Character ch = decodeShape(body, version, id);
                if (body.position() >= 2) addCharacter(movie, id, std::move(ch));
                break;
            }
            case SwfTag::DefineBitsLossless:
            case SwfTag::DefineBitsLossless2: {
                uint16_t id = 0;
                Character ch;
                if (decodeBitmap(body, code == SwfTag::DefineBitsLossless2, id, ch))
                    addCharacter(movie, id, std::move(ch));
                break;
            }
            case SwfTag::DefineSprite: decodeSprite(body, movie); break;
            default: break;  // labels, attributes, metadata and all else
            }
        }
    }
    if (timeline.frames.empty() && !pending.empty()) timeline.frames.push_back(std::move(pending));
}

}  // namespace

std::optional<Movie> decodeMovie(const uint8_t* data, size_t size, DecodeError* error) {
    auto fail = [&](DecodeError e) -> std::optional<Movie> {
        if (error) *error = e;
        return std::nullopt;
    };
    if (error) *error = DecodeError::None;
    if (size < 8) return fail(DecodeError::TooShort);
    bool compressed = data[0] == 'C';
    if ((data[0] != 'F' && !compressed) || data[1] != 'W' || data[2] != 'S') return fail(DecodeError::BadSignature);

    Movie movie;
    movie.version = data[3];
    movie.compressed = compressed;
    uint32_t declared = data[4] | (data[5] << 8) | (data[6] << 16) | (uint32_t(data[7]) << 24);

    std::vector<uint8_t> inflated;
    const uint8_t* body = data + 8;
    size_t bodySize = size - 8;
    if (compressed) {
        uint64_t want = declared > 8 ? declared - 8 : 0;
        want = std::min<uint64_t>(want, static_cast<uint64_t>(bodySize) * kMaxInflateRatio);
        if (!inflateGrowing(body, bodySize, static_cast<size_t>(want), inflated) || inflated.empty())
            return fail(DecodeError::BadCompression);
        body = inflated.data();
        bodySize = inflated.size();
    } else if (declared >= 8 && declared - 8 < bodySize) {
        bodySize = declared - 8;
    }

    BitReader in(body, bodySize);
    movie.frameRect = readRect(in);
    movie.frameRate = in.u16() / 256.0f;
    movie.declaredFrameCount = in.u16();
    if (in.overrun()) return fail(DecodeError::TooShort);
    decodeTimelineTags(in, movie, movie.timeline, true);
    return movie;
}
