#pragma once

#include "player/format/swf_movie.h"
#include "player/playback/script_target.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class TimelineState;

// Receives the sound of the frames that timelines enter.
class SoundEvents {
public:
    virtual ~SoundEvents() = default;
    virtual void startSound(const SoundStart& start) = 0;
    // The stream sound block of the frame a timeline (by serial) ended a tick on.
    virtual void streamBlock(uint32_t timeline, const SoundStreamHead& head, const std::vector<uint8_t>& block,
                             int frame) = 0;
};

// What all timelines of one player share: a cap on the display objects alive
// at once, a budget of timeline work for one tick (objects made, commands
// replayed: sprites that place, replace or rewind each other cannot multiply
// the work without end; past the budget the tick's display lists stay
// incomplete), the frame scripts waiting to run after the current tick, and
// the timelines whose stream sound block is due at the tick's end.
struct Playback {
    size_t liveObjects = 0;
    size_t maxObjects = 20000;
    size_t workThisTick = 0;
    size_t maxWorkPerTick = 100000;
    static constexpr size_t kObjectWork = 8;  // an object made: its allocations and, later, their release
    bool charge(size_t units) {
        workThisTick += units;
        return workThisTick <= maxWorkPerTick;
    }
    std::vector<std::pair<std::weak_ptr<ScriptTarget>, const ActionScript*>> queue;
    std::set<const ActionScript*> initialised;  // init scripts run once
    std::vector<std::weak_ptr<TimelineState>> streams;
    SoundEvents* sound = nullptr;
    uint32_t timelines = 0;  // serials handed out
};

class DisplayObject {
public:
    DisplayObject(uint16_t characterId, Playback& playback);
    ~DisplayObject();
    DisplayObject(const DisplayObject&) = delete;
    DisplayObject& operator=(const DisplayObject&) = delete;

    uint16_t characterId;
    Matrix matrix;
    ColorTransform colorTransform;
    uint16_t clipDepth = 0;  // non-zero: a mask for the depths above it up to this one
    uint16_t ratio = 0;
    std::string name;
    BlendMode blendMode = BlendMode::Normal;
    bool visible = true;
    int placedFrame = 0;                    // the frame of its timeline that placed it
    std::shared_ptr<TimelineState> sprite;  // for sprites and buttons
    std::shared_ptr<const Shape> morphed;   // for morphs: the shape at ratio

private:
    Playback& playback_;
};

// The display list of one timeline at its current frame, and where it plays.
class TimelineState : public ScriptTarget {
public:
    static constexpr int kMaxNesting = 12;

    TimelineState(const Movie& movie, const Timeline& timeline, Playback& playback, TimelineState* parent, int nesting);

    // One tick: children first, then the next frame (the first one on the
    // first tick); past the last frame it loops, keeping the objects that
    // live on from the first frame, nested timelines and all.
    void advance();
    // Goes to a frame (clamped) and plays or stops there; the frame's scripts are queued.
    void gotoFrame(int frame, bool play) override;
    void play() override { playing_ = true; }
    void stop() override { playing_ = false; }
    bool playing() const { return playing_; }

    int frame() const override { return frame_; }
    int frameOfLabel(const std::string& label) const override { return timeline_.frameOfLabel(label); }
    int frameCount() const { return static_cast<int>(timeline_.frames.size()); }
    const Timeline& timeline() const { return timeline_; }
    TimelineState* parent() const override { return parent_; }
    uint32_t serial() const { return serial_; }
    TimelineState* child(const std::string& name) const override;  // by instance name
    const std::map<uint16_t, std::unique_ptr<DisplayObject>>& objects() const { return objects_; }
    // Hands the stream sound block of the frame the tick ended on to the sound.
    void sendStreamBlock();

private:
    void seek(int frame);
    void rebuild(int frame);
    void apply(const std::vector<FrameCommand>& commands, int frame, bool runScripts);
    void queueScript(const ActionScript& script);
    void startSound(const FrameCommand& cmd);
    void streamSound(int frame);
    void place(const PlaceCommand& cmd, int frame);
    void setProperties(DisplayObject& obj, const PlaceCommand& cmd);
    std::unique_ptr<DisplayObject> instantiate(uint16_t characterId);

    const Movie& movie_;
    const Timeline& timeline_;
    Playback& playback_;
    TimelineState* parent_;
    int nesting_;
    uint32_t serial_;
    int frame_ = -1;
    int streamFrame_ = -1;  // the frame whose stream block is due at the tick's end
    bool playing_ = true;
    std::map<uint16_t, std::unique_ptr<DisplayObject>> objects_;
};
