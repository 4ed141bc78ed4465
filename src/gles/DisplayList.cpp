#include "gles/DisplayList.h"

#include "gles/Error.h"
#include "gles/Primitives.h"

#include <algorithm>
#include <string>
#include <utility>

namespace gles {

namespace {

constexpr int MaxNesting = 64;

void Replay(DisplayLists& lists, unsigned id, ListExecutor& executor, int depth)
{
    DisplayList* list = lists.Find(id);
    if (list == nullptr) return;
    if (depth > MaxNesting)
        Fail("glCallList(" + std::to_string(id) + ") nests lists deeper than " + std::to_string(MaxNesting));
    for (const Op& op : list->ops) {
        if (op.code == OpCode::CallList)
            Replay(lists, op.a, executor, depth + 1);
        else if (op.code == OpCode::Draw)
            executor.DrawRun(*list, list->runs[op.a]);
        else
            executor.Execute(op);
    }
}

} // namespace

const char* GetOpName(OpCode code)
{
    switch (code) {
    case OpCode::Enable:
        return "glEnable";
    case OpCode::Disable:
        return "glDisable";
    case OpCode::BindTexture:
        return "glBindTexture";
    case OpCode::Color:
        return "glColor";
    case OpCode::Normal:
        return "glNormal";
    case OpCode::TexCoord:
        return "glTexCoord";
    case OpCode::MatrixMode:
        return "glMatrixMode";
    case OpCode::PushMatrix:
        return "glPushMatrix";
    case OpCode::PopMatrix:
        return "glPopMatrix";
    case OpCode::LoadIdentity:
        return "glLoadIdentity";
    case OpCode::Rotate:
        return "glRotated";
    case OpCode::Translate:
        return "glTranslated";
    case OpCode::Frustum:
        return "glFrustum";
    case OpCode::Viewport:
        return "glViewport";
    case OpCode::Light:
        return "glLightfv";
    case OpCode::LightModel:
        return "glLightModelfv";
    case OpCode::ColorMaterial:
        return "glColorMaterial";
    case OpCode::ShadeModel:
        return "glShadeModel";
    case OpCode::BlendFunc:
        return "glBlendFunc";
    case OpCode::DepthFunc:
        return "glDepthFunc";
    case OpCode::DepthMask:
        return "glDepthMask";
    case OpCode::Hint:
        return "glHint";
    case OpCode::TexParameter:
        return "glTexParameteri";
    case OpCode::TexEnv:
        return "glTexEnvi";
    case OpCode::Clear:
        return "glClear";
    case OpCode::ClearColor:
        return "glClearColor";
    case OpCode::CallList:
        return "glCallList";
    case OpCode::Draw:
        return "glBegin";
    }
    return "gl?";
}

void ListRecorder::Start(unsigned id)
{
    recording_ = true;
    inside_ = false;
    id_ = id;
    known_ = setInside_ = 0;
    values_ = Attributes{};
    list_ = DisplayList{};
}

void ListRecorder::Record(const Op& op)
{
    list_.ops.push_back(op);
    // A nested list may change any attribute when it runs.
    if (op.code == OpCode::CallList) known_ = 0;
}

void ListRecorder::SetAttribute(OpCode code, unsigned bit, const std::array<double, 6>& v)
{
    known_ |= bit;
    if (inside_)
        setInside_ |= bit;
    else
        Record(Op{code, 0, 0, 0, v});
}

void ListRecorder::SetColor(const std::array<float, 4>& color)
{
    values_.color = color;
    SetAttribute(OpCode::Color, AttributeColor, {color[0], color[1], color[2], color[3]});
}

void ListRecorder::SetNormal(const std::array<float, 3>& normal)
{
    values_.normal = normal;
    SetAttribute(OpCode::Normal, AttributeNormal, {normal[0], normal[1], normal[2]});
}

void ListRecorder::SetTexCoord(const std::array<float, 2>& texCoord)
{
    values_.texCoord = texCoord;
    SetAttribute(OpCode::TexCoord, AttributeTexCoord, {texCoord[0], texCoord[1]});
}

void ListRecorder::Begin(unsigned mode)
{
    inside_ = true;
    mode_ = mode;
    setInside_ = 0;
    primitive_.clear();
    // Geometry right after geometry joins its run: one draw for both.
    const bool extends = !list_.ops.empty() && list_.ops.back().code == OpCode::Draw;
    if (!extends) {
        list_.ops.push_back(Op{OpCode::Draw, static_cast<unsigned>(list_.runs.size())});
        Run run;
        run.first = list_.vertices.size();
        list_.runs.push_back(std::move(run));
    }
}

void ListRecorder::AddVertex(float x, float y, float z)
{
    Vertex v;
    v.position = {x, y, z};
    v.color = values_.color;
    v.normal = values_.normal;
    v.texCoord = values_.texCoord;
    v.inherit = {static_cast<std::uint8_t>((known_ & AttributeColor) ? 0 : 1),
                 static_cast<std::uint8_t>((known_ & AttributeNormal) ? 0 : 1),
                 static_cast<std::uint8_t>((known_ & AttributeTexCoord) ? 0 : 1), 0};
    primitive_.push_back(v);
}

void ListRecorder::End()
{
    inside_ = false;
    AppendPrimitive(mode_, QuadSplit::AlongV1V3, primitive_, list_.vertices);
    Run& run = list_.runs.back();
    for (const Vertex& v : primitive_) {
        if (v.inherit[0] != 0)
            run.inheritsColor = true;
        else
            run.leastAlpha = std::min(run.leastAlpha, v.color[3]);
    }
    const std::size_t before = run.first + run.count;
    AppendPieceEnds(mode_, before, list_.vertices.size() - before, run.ends);
    run.count = list_.vertices.size() - run.first;
    run.sets |= setInside_;
    run.last = values_;
}

DisplayList ListRecorder::Finish()
{
    recording_ = false;
    return std::exchange(list_, DisplayList{});
}

unsigned DisplayLists::Generate(int range)
{
    if (range < 0) Fail("glGenLists(" + std::to_string(range) + "): a negative range");
    if (range == 0) return 0;
    const unsigned first = next_;
    next_ += static_cast<unsigned>(range);
    return first;
}

DisplayList* DisplayLists::Find(unsigned id)
{
    const auto found = lists_.find(id);
    return found == lists_.end() ? nullptr : &found->second;
}

void DisplayLists::Store(unsigned id, DisplayList list)
{
    lists_[id] = std::move(list);
    next_ = std::max(next_, id + 1);
}

void ReplayList(DisplayLists& lists, unsigned id, ListExecutor& executor)
{
    Replay(lists, id, executor, 1);
}

} // namespace gles
