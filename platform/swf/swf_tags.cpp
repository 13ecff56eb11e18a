#include "platform/swf/swf_tags.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace murano::swf {

namespace {

constexpr std::uint8_t kSolidFill = 0x00;
constexpr std::uint8_t kCondOverDownToOverUp = 0x08;
constexpr int kJumpSize = 5; // code, length and a 16-bit offset

enum ActionCode : std::uint8_t {
    End = 0x00,
    Play = 0x06,
    Stop = 0x07,
    Multiply = 0x0c,
    Divide = 0x0d,
    Not = 0x12,
    GetVariable = 0x1c,
    SetVariable = 0x1d,
    GetProperty = 0x22,
    SetProperty = 0x23,
    GotoFrame = 0x81,
    WaitForFrame = 0x8a,
    Push = 0x96,
    Jump = 0x99,
    If = 0x9d,
};

enum PushType : std::uint8_t { PushString = 0, PushBoolean = 5, PushInteger = 7 };

std::int32_t toFixed8(double value) {
    return static_cast<std::int32_t>(std::lround(value * 256.0));
}

std::int16_t branchOffset(std::size_t bytes) {
    return static_cast<std::int16_t>(
        std::min<std::size_t>(bytes, std::numeric_limits<std::int16_t>::max()));
}

Rect boundsOf(const std::vector<FilledPolygon>& polygons) {
    Rect bounds{std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min(),
                std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()};
    bool any = false;
    for (const FilledPolygon& polygon : polygons) {
        for (const Point& point : polygon.points) {
            bounds.xMin = std::min(bounds.xMin, point.x);
            bounds.xMax = std::max(bounds.xMax, point.x);
            bounds.yMin = std::min(bounds.yMin, point.y);
            bounds.yMax = std::max(bounds.yMax, point.y);
            any = true;
        }
    }
    return any ? bounds : Rect{};
}

} // namespace

ActionScript& ActionScript::simple(std::uint8_t code) {
    code_.push_back(code);
    return *this;
}

ActionScript& ActionScript::withData(std::uint8_t code, const Bytes& data) {
    ByteWriter record;
    record.u8(code);
    record.u16(static_cast<std::uint16_t>(data.size()));
    record.append(data);
    const Bytes& bytes = record.bytes();
    code_.insert(code_.end(), bytes.begin(), bytes.end());
    return *this;
}

ActionScript& ActionScript::play() {
    return simple(Play);
}

ActionScript& ActionScript::stop() {
    return simple(Stop);
}

ActionScript& ActionScript::gotoFrame(std::uint16_t frame) {
    ByteWriter data;
    data.u16(frame);
    return withData(GotoFrame, data.bytes());
}

ActionScript& ActionScript::waitForFrame(std::uint16_t frame, std::uint8_t skipCount) {
    ByteWriter data;
    data.u16(frame);
    data.u8(skipCount);
    return withData(WaitForFrame, data.bytes());
}

ActionScript& ActionScript::pushString(const std::string& text) {
    ByteWriter data;
    data.u8(PushString);
    data.append(reinterpret_cast<const std::uint8_t*>(text.c_str()), text.size() + 1);
    return withData(Push, data.bytes());
}

ActionScript& ActionScript::pushNumber(std::int32_t value) {
    ByteWriter data;
    data.u8(PushInteger);
    data.u32(static_cast<std::uint32_t>(value));
    return withData(Push, data.bytes());
}

ActionScript& ActionScript::pushBoolean(bool value) {
    return withData(Push, {PushBoolean, static_cast<std::uint8_t>(value ? 1 : 0)});
}

ActionScript& ActionScript::getVariable() {
    return simple(GetVariable);
}

ActionScript& ActionScript::setVariable() {
    return simple(SetVariable);
}

ActionScript& ActionScript::logicalNot() {
    return simple(Not);
}

ActionScript& ActionScript::multiply() {
    return simple(Multiply);
}

ActionScript& ActionScript::divide() {
    return simple(Divide);
}

ActionScript& ActionScript::getProperty() {
    return simple(GetProperty);
}

ActionScript& ActionScript::setProperty() {
    return simple(SetProperty);
}

ActionScript& ActionScript::jump(std::int16_t offset) {
    ByteWriter data;
    data.u16(static_cast<std::uint16_t>(offset));
    return withData(Jump, data.bytes());
}

ActionScript& ActionScript::ifTrue(std::int16_t offset) {
    ByteWriter data;
    data.u16(static_cast<std::uint16_t>(offset));
    return withData(If, data.bytes());
}

// Laid out as: If(skip the false branch and its jump) false-branch Jump(skip the true branch)
// true-branch. Offsets count from the end of the branching record.
ActionScript& ActionScript::ifElse(const ActionScript& whenTrue, const ActionScript& whenFalse) {
    ifTrue(branchOffset(whenFalse.records().size() + kJumpSize));
    append(whenFalse);
    jump(branchOffset(whenTrue.records().size()));
    return append(whenTrue);
}

ActionScript& ActionScript::append(const ActionScript& more) {
    code_.insert(code_.end(), more.code_.begin(), more.code_.end());
    return *this;
}

Bytes ActionScript::finished() const {
    Bytes bytes = code_;
    bytes.push_back(End);
    return bytes;
}

Bytes encodeColorTransform(const ColorTransform& t) {
    const std::int32_t multipliers[] = {toFixed8(t.redMultiplier), toFixed8(t.greenMultiplier),
                                        toFixed8(t.blueMultiplier), toFixed8(t.alphaMultiplier)};
    const std::int32_t additions[] = {t.redAdd, t.greenAdd, t.blueAdd, t.alphaAdd};
    const bool hasMultiply =
        std::any_of(std::begin(multipliers), std::end(multipliers), [](int m) { return m != 256; });
    const bool hasAdd =
        std::any_of(std::begin(additions), std::end(additions), [](int a) { return a != 0; });
    int count = 0;
    for (int i = 0; i < 4; ++i) {
        count = std::max(count, hasMultiply ? BitWriter::bitsForSigned(multipliers[i]) : 0);
        count = std::max(count, hasAdd ? BitWriter::bitsForSigned(additions[i]) : 0);
    }
    BitWriter bits;
    bits.unsignedBits(hasAdd ? 1 : 0, 1);
    bits.unsignedBits(hasMultiply ? 1 : 0, 1);
    bits.unsignedBits(static_cast<std::uint32_t>(count), 4);
    for (int i = 0; hasMultiply && i < 4; ++i) {
        bits.signedBits(multipliers[i], count);
    }
    for (int i = 0; hasAdd && i < 4; ++i) {
        bits.signedBits(additions[i], count);
    }
    return bits.take();
}

Bytes doActionBody(const ActionScript& script) {
    return script.finished();
}

Bytes removeObject2Body(std::uint16_t depth) {
    ByteWriter body;
    body.u16(depth);
    return body.take();
}

Bytes placeObject2Body(const Placement& placement) {
    std::uint8_t flags = 0;
    flags |= placement.move ? 0x01 : 0;
    flags |= placement.characterId ? 0x02 : 0;
    flags |= placement.matrix ? 0x04 : 0;
    flags |= placement.colorTransform ? 0x08 : 0;
    flags |= placement.name.empty() ? 0 : 0x20;
    ByteWriter body;
    body.u8(flags);
    body.u16(placement.depth);
    if (placement.characterId) {
        body.u16(*placement.characterId);
    }
    if (placement.matrix) {
        body.append(murano::swf::encodeMatrix(*placement.matrix));
    }
    if (placement.colorTransform) {
        body.append(encodeColorTransform(*placement.colorTransform));
    }
    if (!placement.name.empty()) {
        body.append(reinterpret_cast<const std::uint8_t*>(placement.name.c_str()),
                    placement.name.size() + 1);
    }
    return body.take();
}

Bytes defineShape3Body(std::uint16_t shapeId, const std::vector<FilledPolygon>& polygons) {
    ByteWriter body;
    body.u16(shapeId);
    body.append(murano::swf::encodeRect(boundsOf(polygons)));
    if (polygons.size() < 0xff) {
        body.u8(static_cast<std::uint8_t>(polygons.size()));
    } else {
        body.u8(0xff);
        body.u16(static_cast<std::uint16_t>(polygons.size()));
    }
    for (const FilledPolygon& polygon : polygons) {
        body.u8(kSolidFill);
        body.u8(polygon.color.red);
        body.u8(polygon.color.green);
        body.u8(polygon.color.blue);
        body.u8(polygon.color.alpha);
    }
    body.u8(0); // no line styles

    const int fillBits = std::max(1, BitWriter::bitsForUnsigned(polygons.size()));
    BitWriter shape;
    shape.unsignedBits(static_cast<std::uint32_t>(fillBits), 4);
    shape.unsignedBits(0, 4); // line style index bits
    for (std::size_t i = 0; i < polygons.size(); ++i) {
        const std::vector<Point>& points = polygons[i].points;
        if (points.size() < 3) {
            continue;
        }
        encodeStyleChangeMove(shape, points.front().x, points.front().y,
                              static_cast<std::uint32_t>(i + 1), fillBits);
        for (std::size_t p = 0; p < points.size(); ++p) {
            const Point& from = points[p];
            const Point& to = points[(p + 1) % points.size()];
            if (from.x != to.x || from.y != to.y) {
                murano::swf::encodeStraightEdge(shape, to.x - from.x, to.y - from.y);
            }
        }
    }
    shape.unsignedBits(0, 6); // end of shape
    body.append(shape.take());
    return body.take();
}

Bytes defineButton2Body(std::uint16_t buttonId, const std::vector<ButtonPart>& parts,
                        const ActionScript& onRelease) {
    ByteWriter records;
    for (const ButtonPart& part : parts) {
        std::uint8_t states = 0;
        states |= part.up ? 0x01 : 0;
        states |= part.over ? 0x02 : 0;
        states |= part.down ? 0x04 : 0;
        states |= part.hitTest ? 0x08 : 0;
        records.u8(states);
        records.u16(part.characterId);
        records.u16(part.depth);
        records.append(murano::swf::encodeMatrix(part.matrix));
        records.append(encodeColorTransform(ColorTransform::identity()));
    }
    records.u8(0); // end of the character records

    ByteWriter body;
    body.u16(buttonId);
    body.u8(0); // a push button, not a menu item
    // The action offset counts from its own field to the first condition.
    body.u16(onRelease.empty() ? 0 : static_cast<std::uint16_t>(2 + records.bytes().size()));
    body.append(records.bytes());
    if (!onRelease.empty()) {
        body.u16(0); // the last (and only) condition
        body.u8(kCondOverDownToOverUp);
        body.u8(0); // no key press
        body.append(onRelease.finished());
    }
    return body.take();
}

Bytes defineSpriteBody(std::uint16_t spriteId, const std::vector<Bytes>& frames) {
    ByteWriter body;
    body.u16(spriteId);
    body.u16(static_cast<std::uint16_t>(frames.size()));
    for (const Bytes& frame : frames) {
        body.append(frame);
        body.append(encodeTag(TagCode::ShowFrame, {}));
    }
    body.append(encodeTag(TagCode::End, {}));
    return body.take();
}

std::vector<Point> rectanglePoints(const Rect& rect) {
    return {{rect.xMin, rect.yMin},
            {rect.xMax, rect.yMin},
            {rect.xMax, rect.yMax},
            {rect.xMin, rect.yMax}};
}

} // namespace murano::swf
