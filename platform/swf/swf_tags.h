// The SWF records of animated movies, beyond the basic ones of swf_writer.h: frame scripts (stop,
// play, go to a frame, wait for loading, a toggle variable), placement with colour transforms and
// names, removal, shapes of solid-filled polygons, buttons with actions and small sprites. Each
// builder returns a tag body for Movie::addTag, so that it can be read back and checked on its own.
#pragma once

#include "platform/swf/swf_writer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace murano::swf {

// Tag codes the basic writer does not name.
namespace tags {
constexpr TagCode DoAction = static_cast<TagCode>(12);
constexpr TagCode RemoveObject2 = static_cast<TagCode>(28);
constexpr TagCode DefineShape3 = static_cast<TagCode>(32);
constexpr TagCode DefineButton2 = static_cast<TagCode>(34);
constexpr TagCode DefineSprite = static_cast<TagCode>(39);
} // namespace tags

// A point in twips.
struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// A closed polygon filled with one colour. Points run clockwise on screen (y grows downwards).
struct FilledPolygon {
    Rgba color;
    std::vector<Point> points;
};

// Multiplies each channel by a factor (1.0 keeps it) and adds an offset (-255..255).
struct ColorTransform {
    double redMultiplier = 1.0;
    double greenMultiplier = 1.0;
    double blueMultiplier = 1.0;
    double alphaMultiplier = 1.0;
    std::int16_t redAdd = 0;
    std::int16_t greenAdd = 0;
    std::int16_t blueAdd = 0;
    std::int16_t alphaAdd = 0;

    static ColorTransform identity() { return {}; }
    static ColorTransform opacity(double alpha) {
        ColorTransform transform;
        transform.alphaMultiplier = alpha;
        return transform;
    }
};

// A frame or button script: a list of action records, built in the order they run.
class ActionScript {
public:
    ActionScript& play();
    ActionScript& stop();
    // Goes to a frame (counted from 0) and stops there unless play() follows.
    ActionScript& gotoFrame(std::uint16_t frame);
    // When the frame (from 0) is not loaded yet, skips the next `skipCount` actions.
    ActionScript& waitForFrame(std::uint16_t frame, std::uint8_t skipCount);
    ActionScript& pushString(const std::string& text);
    ActionScript& pushNumber(std::int32_t value);
    ActionScript& pushBoolean(bool value);
    ActionScript& getVariable();
    ActionScript& setVariable();
    ActionScript& logicalNot();
    ActionScript& multiply();
    ActionScript& divide();
    // Property access by index on the clip named by a target path ("" is the script's own clip).
    ActionScript& getProperty();
    ActionScript& setProperty();
    // Pops a condition; runs `whenTrue` if it holds, else `whenFalse`.
    ActionScript& ifElse(const ActionScript& whenTrue, const ActionScript& whenFalse);
    ActionScript& append(const ActionScript& more);

    bool empty() const { return code_.empty(); }
    // The records without the end flag, to nest in a larger script.
    const Bytes& records() const { return code_; }
    // The records closed by the end flag, as a tag or button condition carries them.
    Bytes finished() const;

private:
    ActionScript& simple(std::uint8_t code);
    ActionScript& withData(std::uint8_t code, const Bytes& data);
    ActionScript& jump(std::int16_t offset);
    ActionScript& ifTrue(std::int16_t offset);
    Bytes code_;
};

// Property indexes of clips.
namespace property {
constexpr std::int32_t XScale = 2;
constexpr std::int32_t FramesLoaded = 12;
} // namespace property

Bytes encodeColorTransform(const ColorTransform& transform);

Bytes doActionBody(const ActionScript& script);
Bytes removeObject2Body(std::uint16_t depth);

// What a PlaceObject2 carries; unset fields are left as they are on the display list.
struct Placement {
    std::uint16_t depth = 0;
    bool move = false; // changes the object already at the depth (and replaces it with a character)
    std::optional<std::uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::string name; // instance name, for scripts that address the object
};
Bytes placeObject2Body(const Placement& placement);

// A shape of solid-filled polygons (alpha allowed), each with its own fill style. Bounds are those
// of all points.
Bytes defineShape3Body(std::uint16_t shapeId, const std::vector<FilledPolygon>& polygons);

// One character of a button in the states it appears in.
struct ButtonPart {
    std::uint16_t characterId = 0;
    std::uint16_t depth = 1;
    bool up = false;
    bool over = false;
    bool down = false;
    bool hitTest = false;
    Matrix matrix;
};
// A button whose script runs when the mouse is released over it after a press on it.
Bytes defineButton2Body(std::uint16_t buttonId, const std::vector<ButtonPart>& parts,
                        const ActionScript& onRelease);

// A movie clip with its own timeline: `frames` holds each frame's tag records (see encodeTag),
// without the ShowFrame that closes it.
Bytes defineSpriteBody(std::uint16_t spriteId, const std::vector<Bytes>& frames);

// A rectangle as the four corners of a clockwise polygon.
std::vector<Point> rectanglePoints(const Rect& rect);

} // namespace murano::swf
