// The record builders of the slide movies, read back field by field.
#include "platform/swf/swf_tags.h"
#include "tests/korrind/test_jpegs.h"

#include <gtest/gtest.h>

namespace {

using namespace murano::swf;
namespace kt = swf_test;

std::uint16_t u16At(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::int16_t branchOffsetOf(const kt::Action& action) {
    return static_cast<std::int16_t>(u16At(action.data, 0));
}

TEST(KorrindActionScript, EncodesFrameControlRecordsWithTheirLengthsAndAnEndFlag) {
    ActionScript script;
    script.waitForFrame(300, 1).gotoFrame(2).play().stop();
    const Bytes bytes = script.finished();
    const auto actions = kt::readActions(bytes);
    ASSERT_EQ(actions.size(), 4u);
    EXPECT_EQ(actions[0].code, 0x8a);
    EXPECT_EQ(actions[0].data, (Bytes{0x2c, 0x01, 0x01}));
    EXPECT_EQ(actions[1].code, 0x81);
    EXPECT_EQ(u16At(actions[1].data, 0), 2);
    EXPECT_EQ(actions[2].code, 0x06);
    EXPECT_EQ(actions[3].code, 0x07);
    EXPECT_EQ(bytes.back(), 0);
    EXPECT_EQ(actions[3].end, bytes.size() - 1);
}

TEST(KorrindActionScript, PushesStringsIntegersAndBooleansAsTypedValues) {
    ActionScript script;
    script.pushString("paused").pushNumber(-2).pushBoolean(true);
    const auto actions = kt::readActions(script.finished());
    ASSERT_EQ(actions.size(), 3u);
    EXPECT_EQ(actions[0].data, (Bytes{0, 'p', 'a', 'u', 's', 'e', 'd', 0}));
    EXPECT_EQ(actions[1].data, (Bytes{7, 0xfe, 0xff, 0xff, 0xff}));
    EXPECT_EQ(actions[2].data, (Bytes{5, 1}));
}

// Branch offsets count from the end of the branching record: a wrong offset lands in the middle of
// a record and the player runs garbage.
TEST(KorrindActionScript, IfElseBranchesLandOnTheStartOfEachBranchAndJoinAfterBoth) {
    ActionScript whenTrue;
    whenTrue.stop().pushNumber(1);
    ActionScript whenFalse;
    whenFalse.play().gotoFrame(9);
    ActionScript script;
    script.pushBoolean(true).ifElse(whenTrue, whenFalse).stop();
    const auto actions = kt::readActions(script.finished());
    ASSERT_EQ(actions.size(), 8u);
    const kt::Action& branch = actions[1];
    ASSERT_EQ(branch.code, 0x9d);
    const std::size_t trueStart = branch.end + static_cast<std::size_t>(branchOffsetOf(branch));
    EXPECT_EQ(actions[2].code, 0x06); // false branch follows the If
    EXPECT_EQ(actions[3].code, 0x81);
    const kt::Action& jump = actions[4];
    ASSERT_EQ(jump.code, 0x99);
    EXPECT_EQ(trueStart, actions[5].offset);
    EXPECT_EQ(actions[5].code, 0x07);
    EXPECT_EQ(jump.end + static_cast<std::size_t>(branchOffsetOf(jump)), actions[7].offset);
}

TEST(KorrindTagRecords, ShortAndLongHeadersCarryCodeAndLength) {
    const Bytes shortTag = encodeTag(tags::RemoveObject2, removeObject2Body(7));
    EXPECT_EQ(shortTag,
              (Bytes{static_cast<std::uint8_t>((28 << 6 | 2) & 0xff), (28 << 6) >> 8, 7, 0}));
    const Bytes body(100, 0xab);
    const auto read = kt::readTags(encodeTag(tags::DoAction, body));
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].code, 12);
    EXPECT_EQ(read[0].body, body);
}

TEST(KorrindColorTransforms, IdentityIsOneEmptyByteAndOpacityScalesOnlyAlpha) {
    EXPECT_EQ(encodeColorTransform(ColorTransform::identity()), (Bytes{0}));

    const Bytes half = encodeColorTransform(ColorTransform::opacity(0.5));
    kt::BitReader reader(half);
    const kt::ColorTransform read = kt::readColorTransform(reader);
    EXPECT_EQ(read.multiply[0], 256);
    EXPECT_EQ(read.multiply[2], 256);
    EXPECT_EQ(read.multiply[3], 128);
    EXPECT_EQ(read.add[3], 0);
    EXPECT_EQ(reader.position(), half.size());

    ColorTransform tint;
    tint.redAdd = -255;
    tint.blueMultiplier = 0.0;
    const Bytes tintBytes = encodeColorTransform(tint);
    kt::BitReader tintReader(tintBytes);
    const kt::ColorTransform readTint = kt::readColorTransform(tintReader);
    EXPECT_EQ(readTint.add[0], -255);
    EXPECT_EQ(readTint.multiply[2], 0);
}

TEST(KorrindPlacement, WritesOnlyTheFieldsGivenInTheirOrder) {
    Matrix matrix;
    matrix.translateX = 400;
    matrix.translateY = -60;
    const Bytes body = placeObject2Body(
        {62001, false, std::uint16_t{42}, matrix, ColorTransform::opacity(0.25), "loadbar"});
    kt::BitReader reader(body);
    EXPECT_EQ(reader.u8(), 0x02 | 0x04 | 0x08 | 0x20);
    EXPECT_EQ(reader.u16(), 62001);
    EXPECT_EQ(reader.u16(), 42);
    const kt::Matrix readMatrix = kt::readMatrix(reader);
    EXPECT_EQ(readMatrix.translateX, 400);
    EXPECT_EQ(readMatrix.translateY, -60);
    EXPECT_EQ(kt::readColorTransform(reader).multiply[3], 64);
    EXPECT_EQ(reader.cString(), "loadbar");
    EXPECT_TRUE(reader.atEnd());

    const Bytes move = placeObject2Body({5, true, std::nullopt, std::nullopt, std::nullopt, {}});
    EXPECT_EQ(move, (Bytes{0x01, 5, 0}));
}

TEST(KorrindShapes, SolidPolygonsAreClosedOutlinesWithTheirOwnFillColours) {
    const std::vector<FilledPolygon> polygons = {
        {{10, 20, 30, 128}, rectanglePoints({0, 2000, 0, 1000})},
        {{200, 100, 50, 255}, {{3000, 0}, {4000, 500}, {3000, 1000}}},
    };
    const Bytes body = defineShape3Body(9, polygons);
    kt::BitReader reader(body);
    EXPECT_EQ(reader.u16(), 9);
    const kt::Rect bounds = kt::readRect(reader);
    EXPECT_EQ(bounds.xMin, 0);
    EXPECT_EQ(bounds.xMax, 4000);
    EXPECT_EQ(bounds.yMax, 1000);
    ASSERT_EQ(reader.u8(), 2);
    EXPECT_EQ(reader.u8(), 0); // solid
    EXPECT_EQ(reader.u8(), 10);
    EXPECT_EQ(reader.u8(), 20);
    EXPECT_EQ(reader.u8(), 30);
    EXPECT_EQ(reader.u8(), 128);
    EXPECT_EQ(reader.u8(), 0);
    EXPECT_EQ(reader.u8(), 200);
    reader.u8();
    reader.u8();
    reader.u8();
    EXPECT_EQ(reader.u8(), 0); // no line styles
    const int fillBits = static_cast<int>(reader.bits(4));
    const int lineBits = static_cast<int>(reader.bits(4));
    EXPECT_EQ(lineBits, 0);

    // Walk the records: every outline starts with a move and a fill and returns to its start.
    std::vector<std::uint32_t> fills;
    std::vector<std::pair<std::int32_t, std::int32_t>> starts;
    std::int32_t x = 0, y = 0, startX = 0, startY = 0;
    int edges = 0;
    for (;;) {
        const bool edge = reader.bits(1) != 0;
        if (!edge) {
            const std::uint32_t flags = reader.bits(5);
            if (flags == 0) {
                break;
            }
            if (!fills.empty()) {
                EXPECT_EQ(x, startX);
                EXPECT_EQ(y, startY);
            }
            ASSERT_EQ(flags, 0b00101u);
            const int moveBits = static_cast<int>(reader.bits(5));
            x = startX = reader.signedBits(moveBits);
            y = startY = reader.signedBits(moveBits);
            starts.emplace_back(x, y);
            fills.push_back(reader.bits(fillBits));
            continue;
        }
        ASSERT_EQ(reader.bits(1), 1u); // straight
        const int count = static_cast<int>(reader.bits(4)) + 2;
        ASSERT_EQ(reader.bits(1), 1u); // general line
        x += reader.signedBits(count);
        y += reader.signedBits(count);
        ++edges;
    }
    EXPECT_EQ(x, startX);
    EXPECT_EQ(y, startY);
    EXPECT_EQ(fills, (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(starts[1], (std::pair<std::int32_t, std::int32_t>{3000, 0}));
    EXPECT_EQ(edges, 7);
    reader.align();
    EXPECT_TRUE(reader.atEnd());
}

TEST(KorrindShapes, EdgesLongerThanTheirFieldAreSplit) {
    const Bytes body = defineShape3Body(1, {{{0, 0, 0, 255}, rectanglePoints({0, 100000, 0, 10})}});
    kt::BitReader reader(body, 2);
    const kt::Rect bounds = kt::readRect(reader);
    EXPECT_EQ(bounds.xMax, 100000);
    for (int i = 0; i < 7; ++i) {
        reader.u8(); // one solid fill style with its colour, no line styles
    }
    reader.bits(8);
    reader.bits(6);
    reader.signedBits(static_cast<int>(reader.bits(5)) * 2);
    reader.bits(1); // fill index
    std::int32_t x = 0;
    int edges = 0;
    while (reader.bits(1)) {
        reader.bits(1);
        const int count = static_cast<int>(reader.bits(4)) + 2;
        EXPECT_LE(count, 17);
        reader.bits(1);
        x += reader.signedBits(count);
        reader.signedBits(count);
        ++edges;
    }
    EXPECT_EQ(x, 0);
    EXPECT_EQ(edges, 6); // the two long sides in two pieces each
}

TEST(KorrindButtons, ActionOffsetLeadsToTheReleaseConditionAndItsScript) {
    Matrix shifted;
    shifted.translateX = 100;
    const std::vector<ButtonPart> parts = {{3, 1, true, false, false, true, Matrix{}},
                                           {4, 2, false, true, true, false, shifted}};
    const Bytes body = defineButton2Body(12, parts, ActionScript().gotoFrame(5).play());
    kt::BitReader reader(body);
    EXPECT_EQ(reader.u16(), 12);
    EXPECT_EQ(reader.u8(), 0);
    const std::size_t offsetField = reader.position();
    const std::uint16_t actionOffset = reader.u16();

    EXPECT_EQ(reader.u8(), 0x09); // up and hit test
    EXPECT_EQ(reader.u16(), 3);
    EXPECT_EQ(reader.u16(), 1);
    kt::readMatrix(reader);
    kt::readColorTransform(reader);
    EXPECT_EQ(reader.u8(), 0x06); // over and down
    EXPECT_EQ(reader.u16(), 4);
    EXPECT_EQ(reader.u16(), 2);
    EXPECT_EQ(kt::readMatrix(reader).translateX, 100);
    kt::readColorTransform(reader);
    EXPECT_EQ(reader.u8(), 0); // end of records

    EXPECT_EQ(offsetField + actionOffset, reader.position());
    EXPECT_EQ(reader.u16(), 0);   // the only condition
    EXPECT_EQ(reader.u8(), 0x08); // released over the button after a press on it
    EXPECT_EQ(reader.u8(), 0);
    const auto actions = kt::readActions(body, reader.position());
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[0].code, 0x81);
    EXPECT_EQ(actions[1].code, 0x06);
    EXPECT_EQ(actions[1].end, body.size() - 1);
}

TEST(KorrindSprites, EachFrameEndsWithShowFrameAndTheTimelineWithEnd) {
    const Bytes place = encodeTag(TagCode::PlaceObject2,
                                  placeObject2Body({1, false, std::uint16_t{4}, Matrix{}, {}, {}}));
    const Bytes body = defineSpriteBody(30, {place, {}});
    kt::BitReader reader(body);
    EXPECT_EQ(reader.u16(), 30);
    EXPECT_EQ(reader.u16(), 2);
    const auto inner = kt::readTags(body, 4);
    ASSERT_EQ(inner.size(), 4u);
    EXPECT_EQ(inner[0].code, 26);
    EXPECT_EQ(inner[1].code, 1);
    EXPECT_EQ(inner[2].code, 1);
    EXPECT_EQ(inner[3].code, 0);
}

} // namespace
