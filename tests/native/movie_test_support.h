#pragma once

#include "player/player.h"
#include "tests/tools/movie_parts.h"
#include "tools/writers/swf_writer.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Renders movies written by SwfWriter for the player tests.
struct RenderedFrame {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFFu; }
};

inline int channel(uint32_t p, int shift) { return static_cast<int>((p >> shift) & 255); }

inline bool near(uint32_t got, uint32_t want, int tolerance) {
    for (int shift : {0, 8, 16})
        if (std::abs(channel(got, shift) - channel(want, shift)) > tolerance) return false;
    return true;
}

struct Pixel {
    int x, y;
    uint32_t colour;
    int tolerance = 0;  // in each channel
};

// Expects each pixel of the frame to have its colour, within its tolerance.
inline void expectPixels(const RenderedFrame& f, const std::vector<Pixel>& pixels, const std::string& what = {}) {
    for (const Pixel& p : pixels)
        EXPECT_TRUE(near(f.at(p.x, p.y), p.colour, p.tolerance))
            << what << " at " << p.x << "," << p.y << std::hex << ": " << f.at(p.x, p.y) << " for " << p.colour;
}

inline std::shared_ptr<const Movie> decodeOrNull(const std::vector<uint8_t>& bytes) {
    auto movie = decodeMovie(bytes.data(), bytes.size());
    return movie ? std::make_shared<const Movie>(std::move(*movie)) : nullptr;
}

// The player's current frame.
inline RenderedFrame renderPlayer(const MoviePlayer& player, int width = 100, int height = 100) {
    RenderedFrame out{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    Surface surface{out.pixels.data(), width, height, width};
    FrameRenderer renderer;
    drawCurrentFrame(renderer, player, surface);
    return out;
}

inline RenderedFrame renderFrame(const std::vector<uint8_t>& bytes, int width, int height, int frame = 0) {
    auto movie = decodeOrNull(bytes);
    if (!movie) return {};
    MoviePlayer player(movie);
    player.replayTo(frame);
    return renderPlayer(player, width, height);
}

// Ends the writer's frame and renders the movie's first frame.
inline RenderedFrame shownFrame(SwfWriter& w, int width = 100, int height = 100) {
    w.timeline().showFrame();
    return renderFrame(w.finish(false), width, height);
}

// A translation by whole pixels.
inline Matrix shifted(int xPx, int yPx) {
    return {1, 0, 0, 1, static_cast<float>(xPx * 20), static_cast<float>(yPx * 20)};
}

// The first frame of a movie that shows only this shape, at depth 1.
inline RenderedFrame renderShape(const ShapeBuilder& s, int version = 3, bool nonZero = false,
                                 std::optional<Matrix> placed = std::nullopt) {
    SwfWriter w = stageWriter();
    w.timeline().place(1, w.defineShape(s, version, nonZero), placed);
    return shownFrame(w);
}

// A square in pixels.
inline uint16_t squareShape(SwfWriter& w, int x, int y, int size, Rgba color) {
    return w.defineShape(filledRectangle(color, x * 20, y * 20, size * 20, size * 20));
}

constexpr uint32_t kWhite = 0xFFFFFF, kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00;
