// Display lists: what recording keeps, which compiled vertices take the
// caller's attributes, and replay in order with nested lists looked up when
// they run.
#include "gles/DisplayList.h"
#include "gles/Enums.h"
#include "gles/Error.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gles {
namespace {

// Logs what a replay performs: op codes and, for a run, "draw <count>".
class LoggingExecutor : public ListExecutor {
public:
    void Execute(const Op& op) override { log.push_back(std::string(GetOpName(op.code)) + " " + std::to_string(op.a)); }
    void DrawRun(DisplayList&, const Run& run) override { log.push_back("draw " + std::to_string(run.count)); }
    std::vector<std::string> log;
};

void Quad(ListRecorder& r)
{
    r.Begin(glenum::Quads);
    for (float x : {0.0f, 1.0f, 1.0f, 0.0f}) r.AddVertex(x, 0, 0);
    r.End();
}

TEST(DisplayList, RecordsCallsAndCompilesGeometryIntoRuns)
{
    ListRecorder r;
    r.Start(7);
    r.Record({OpCode::BindTexture, glenum::Texture2D, 3});
    Quad(r);
    Quad(r); // straight after: the same run
    r.Record({OpCode::Disable, glenum::CullFace});
    r.Begin(glenum::Polygon);
    for (int k = 0; k < 5; ++k) r.AddVertex(static_cast<float>(k), 1, 0);
    r.End();
    EXPECT_EQ(r.Id(), 7u);
    const DisplayList list = r.Finish();
    EXPECT_FALSE(r.Recording());
    ASSERT_EQ(list.ops.size(), 4u);
    EXPECT_EQ(list.ops[0].code, OpCode::BindTexture);
    EXPECT_EQ(list.ops[1].code, OpCode::Draw);
    EXPECT_EQ(list.ops[2].code, OpCode::Disable);
    EXPECT_EQ(list.ops[3].code, OpCode::Draw);
    ASSERT_EQ(list.runs.size(), 2u);
    EXPECT_EQ(list.runs[0].first, 0u);
    EXPECT_EQ(list.runs[0].count, 12u); // two quads, two triangles each
    EXPECT_EQ(list.runs[1].first, 12u);
    EXPECT_EQ(list.runs[1].count, 9u); // a pentagon's three
    EXPECT_EQ(list.vertices.size(), 21u);
    EXPECT_EQ(list.vertices[2].position[0], 0.0f); // the quad's (v0, v1, v3)
}

// Until the list sets an attribute, its vertices take the caller's value;
// after a nested list, which may change anything, they do again.
TEST(DisplayList, VerticesInheritWhatTheListHasNotSet)
{
    ListRecorder r;
    r.Start(1);
    r.SetNormal({0, 1, 0});
    r.Begin(glenum::Triangles);
    r.AddVertex(0, 0, 0);
    r.SetColor({1, 0, 0, 1});
    r.AddVertex(1, 0, 0);
    r.SetTexCoord({0.5f, 0.25f});
    r.AddVertex(0, 1, 0);
    r.End();
    r.Record({OpCode::CallList, 2});
    r.Begin(glenum::Triangles);
    for (int k = 0; k < 3; ++k) r.AddVertex(0, 0, 0);
    r.End();
    const DisplayList list = r.Finish();
    ASSERT_EQ(list.vertices.size(), 6u);
    using Flags = std::array<std::uint8_t, 4>;
    EXPECT_EQ(list.vertices[0].inherit, (Flags{1, 0, 1, 0}));
    EXPECT_EQ(list.vertices[0].normal, (std::array<float, 3>{0, 1, 0}));
    EXPECT_EQ(list.vertices[1].inherit, (Flags{0, 0, 1, 0}));
    EXPECT_EQ(list.vertices[1].color, (std::array<float, 4>{1, 0, 0, 1}));
    EXPECT_EQ(list.vertices[2].inherit, (Flags{0, 0, 0, 0}));
    EXPECT_EQ(list.vertices[2].texCoord, (std::array<float, 2>{0.5f, 0.25f}));
    EXPECT_EQ(list.vertices[3].inherit, (Flags{1, 1, 1, 0}));
    // The normal was set outside glBegin/glEnd, so it replays as a call; the
    // colour and texture coordinate become current after the first run.
    EXPECT_EQ(list.ops[0].code, OpCode::Normal);
    EXPECT_EQ(list.runs[0].sets, static_cast<unsigned>(AttributeColor | AttributeTexCoord));
    EXPECT_EQ(list.runs[0].last.color, (std::array<float, 4>{1, 0, 0, 1}));
    EXPECT_EQ(list.runs[1].sets, 0u);
}

TEST(DisplayList, ReplayRunsCallsInOrderAndNestedListsAsTheyAreNow)
{
    DisplayLists lists;
    const unsigned outer = lists.Generate(2), inner = outer + 1;
    EXPECT_EQ(lists.Generate(1), outer + 2);
    ListRecorder r;
    r.Start(outer);
    r.Record({OpCode::PushMatrix});
    r.Record({OpCode::CallList, inner});
    r.Record({OpCode::CallList, 99}); // never defined: nothing happens
    Quad(r);
    r.Record({OpCode::PopMatrix});
    lists.Store(outer, r.Finish());

    LoggingExecutor before;
    ReplayList(lists, outer, before);
    EXPECT_EQ(before.log, (std::vector<std::string>{"glPushMatrix 0", "draw 6", "glPopMatrix 0"}));

    r.Start(inner);
    r.Record({OpCode::Enable, glenum::Lighting});
    lists.Store(inner, r.Finish());
    LoggingExecutor after;
    ReplayList(lists, outer, after);
    EXPECT_EQ(after.log, (std::vector<std::string>{"glPushMatrix 0", "glEnable " + std::to_string(glenum::Lighting),
                                                   "draw 6", "glPopMatrix 0"}));
}

TEST(DisplayList, NamesAndNestingFollowGL)
{
    DisplayLists lists;
    EXPECT_EQ(lists.Generate(0), 0u);
    EXPECT_THROW(lists.Generate(-1), Error);
    lists.Store(40, DisplayList{});
    EXPECT_EQ(lists.Generate(1), 41u); // past any name in use
    EXPECT_EQ(lists.Find(39), nullptr);

    // A list that calls itself stops at GL's 64 levels with an error.
    ListRecorder r;
    r.Start(5);
    r.Record({OpCode::CallList, 5});
    lists.Store(5, r.Finish());
    LoggingExecutor executor;
    try {
        ReplayList(lists, 5, executor);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "GL renderer: glCallList(5) nests lists deeper than 64");
    }
}

} // namespace
} // namespace gles
