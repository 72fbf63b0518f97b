// Draws the application icon from a list of ellipses and writes a .ico file
// holding 16, 24, 32 and 48 pixel images (32-bit BGRA with an AND mask): the
// small and large icon sizes at 100 % and 150 %.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Ellipse {
    double cx, cy, rx, ry;
    uint32_t rgb;
};

constexpr double kCanvas = 64.0;
constexpr int kSamples = 4;

bool readShapes(const char* path, std::vector<Ellipse>& shapes) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string kind, color;
        Ellipse e{};
        if (!(words >> kind >> e.cx >> e.cy >> e.rx >> e.ry >> color) || kind != "ellipse" || color.size() != 7 ||
            color[0] != '#')
            return false;
        e.rgb = static_cast<uint32_t>(std::stoul(color.substr(1), nullptr, 16));
        shapes.push_back(e);
    }
    return !shapes.empty();
}

// Returns BGRA pixels, top row first, with coverage-weighted alpha.
std::vector<uint8_t> render(const std::vector<Ellipse>& shapes, int size) {
    std::vector<uint8_t> pixels(size * size * 4);
    const double scale = kCanvas / size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    double px = (x + (sx + 0.5) / kSamples) * scale;
                    double py = (y + (sy + 0.5) / kSamples) * scale;
                    const Ellipse* top = nullptr;
                    for (const Ellipse& e : shapes) {
                        double dx = (px - e.cx) / e.rx, dy = (py - e.cy) / e.ry;
                        if (dx * dx + dy * dy <= 1.0) top = &e;
                    }
                    if (!top) continue;
                    r += (top->rgb >> 16) & 0xFF;
                    g += (top->rgb >> 8) & 0xFF;
                    b += top->rgb & 0xFF;
                    a += 1;
                }
            }
            uint8_t* p = &pixels[(y * size + x) * 4];
            if (a > 0) {
                p[0] = static_cast<uint8_t>(b / a);
                p[1] = static_cast<uint8_t>(g / a);
                p[2] = static_cast<uint8_t>(r / a);
                p[3] = static_cast<uint8_t>(255.0 * a / (kSamples * kSamples));
            }
        }
    }
    return pixels;
}

void put16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}
void put32(std::string& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::string iconImage(const std::vector<uint8_t>& bgra, int size) {
    std::string out;
    const int maskStride = ((size + 31) / 32) * 4;
    put32(out, 40);
    put32(out, size);
    put32(out, size * 2);  // colour rows plus mask rows
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, size * size * 4 + maskStride * size);
    for (int i = 0; i < 4; ++i) put32(out, 0);
    for (int y = size - 1; y >= 0; --y) out.append(reinterpret_cast<const char*>(&bgra[y * size * 4]), size * 4);
    for (int y = size - 1; y >= 0; --y) {
        std::string row(maskStride, '\0');
        for (int x = 0; x < size; ++x)
            if (bgra[(y * size + x) * 4 + 3] == 0) row[x / 8] |= static_cast<char>(0x80 >> (x % 8));
        out += row;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: icongen SHAPES.txt OUT.ico\n";
        return 2;
    }
    std::vector<Ellipse> shapes;
    if (!readShapes(argv[1], shapes)) {
        std::cerr << "icongen: cannot read shapes from " << argv[1] << "\n";
        return 1;
    }
    const int sizes[] = {16, 24, 32, 48};
    std::vector<std::string> images;
    for (int size : sizes) images.push_back(iconImage(render(shapes, size), size));

    std::string ico;
    put16(ico, 0);
    put16(ico, 1);
    put16(ico, static_cast<uint16_t>(std::size(sizes)));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * std::size(sizes));
    for (size_t i = 0; i < std::size(sizes); ++i) {
        ico += static_cast<char>(sizes[i]);
        ico += static_cast<char>(sizes[i]);
        ico += '\0';
        ico += '\0';
        put16(ico, 1);
        put16(ico, 32);
        put32(ico, static_cast<uint32_t>(images[i].size()));
        put32(ico, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const std::string& image : images) ico += image;

    std::ofstream out(argv[2], std::ios::binary);
    out.write(ico.data(), static_cast<std::streamsize>(ico.size()));
    if (!out) {
        std::cerr << "icongen: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
