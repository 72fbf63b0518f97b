#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "crypto/random.h"
#include "common/key_value_document.h"

// One movie of a scene: its file name under "swf\" (may be empty) and how long
// it plays, or without a time limit.
constexpr int kNoTimeLimit = -1;
struct MovieStep {
    std::u16string movieName;
    int durationMs = 0;
};

// Parses the content-store file at the path into the document; false when the
// file is missing.
using ScriptLoader = std::function<bool(const std::u16string& path, KeyValueDocument& document)>;

// The scripts of one scene merged into one document, turned into movie steps:
// "swf"/"time" + K for the movies, "swf-list" + N for scripts drawn at random.
class SceneScript {
public:
    SceneScript(ScriptLoader loader, RandomSource random, NarrowText narrow);

    // Merges "info\" + fileName; false for an empty name or a missing file.
    bool load(const std::u16string& fileName);
    // Merges one entry, chosen at random, of the next "swf-list" + N.
    bool nextList();
    // The next "swf" + K / "time" + K pair, which is removed from the document;
    // none when the time is absent or empty.
    std::optional<MovieStep> nextMovie();

    const KeyValueDocument& document() const { return document_; }
    int listCounter() const { return listCounter_; }
    int movieCounter() const { return movieCounter_; }

private:
    ScriptLoader loader_;
    RandomSource random_;
    NarrowText narrow_;
    KeyValueDocument document_;
    int listCounter_ = 0;
    int movieCounter_ = 0;
};

// "infinity" or minutes:seconds:milliseconds, each part scanned as far as it
// goes; -1 for no limit (also for a negative result).
int movieDurationMs(const std::string& time);
