// Display lists: recording the calls made between glNewList and glEndList,
// geometry compiled once into triangles, and replay in recorded order.
// Recording executes nothing: a colour set in a list becomes current only
// when the list is called, and a vertex compiled before its list set some
// attribute takes the caller's value then.
#pragma once

#include "gles/Vertex.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace gles {

// The recorded calls; geometry is a Draw of a run of triangles.
enum class OpCode : std::uint8_t {
    Enable,
    Disable,
    BindTexture,
    Color,
    Normal,
    TexCoord,
    MatrixMode,
    PushMatrix,
    PopMatrix,
    LoadIdentity,
    Rotate,
    Translate,
    Frustum,
    Viewport,
    Light,
    LightModel,
    ColorMaterial,
    ShadeModel,
    BlendFunc,
    DepthFunc,
    DepthMask,
    Hint,
    TexParameter,
    TexEnv,
    Clear,
    ClearColor,
    CallList,
    Draw,
};

// The GL call an OpCode records, for messages: "glEnable".
const char* GetOpName(OpCode code);

// One recorded call: its enums or names in a, b, c and its numbers in v, in
// the order the call takes them. A Draw's a is its run's index.
struct Op {
    OpCode code{};
    unsigned a = 0, b = 0, c = 0;
    std::array<double, 6> v{};
};

// Consecutive glBegin/glEnd primitives with nothing recorded between them.
struct Run {
    std::size_t first = 0; // index of its first vertex in the list's vertices
    std::size_t count = 0; // vertices, three a triangle
    unsigned sets = 0;     // AttributeBits set between glBegin and glEnd...
    Attributes last{};     // ...and their values at the last glEnd, current after the draw
    // Where each piece of its primitives ends (list vertex indices), in
    // order: a piece never overlaps itself, two may (see AppendPieceEnds).
    std::vector<std::size_t> ends;
    float leastAlpha = 1;       // the least colour alpha of the vertices that carry their own colour
    bool inheritsColor = false; // whether some vertex takes the caller's colour
};

// A compiled list.
struct DisplayList {
    std::vector<Op> ops;
    std::vector<Run> runs;
    std::vector<Vertex> vertices;
    unsigned buffer = 0;      // the renderer's vertex buffer holding vertices, once uploaded
    unsigned vertexArray = 0; // and the vertex array that reads it
};

// Records one list at a time.
class ListRecorder {
public:
    // glNewList: starts an empty list.
    void Start(unsigned id);

    // Whether a list is being recorded.
    bool Recording() const { return recording_; }

    // The list being recorded.
    unsigned Id() const { return id_; }

    // Records a call that is no vertex attribute and no geometry.
    void Record(const Op& op);

    // glColor, glNormal, glTexCoord while recording.
    void SetColor(const std::array<float, 4>& color);
    void SetNormal(const std::array<float, 3>& normal);
    void SetTexCoord(const std::array<float, 2>& texCoord);

    // glBegin, glVertex, glEnd while recording; Begin takes a filled mode.
    void Begin(unsigned mode);
    void AddVertex(float x, float y, float z);
    void End();

    // Whether the recording is between glBegin and glEnd.
    bool InsidePrimitive() const { return inside_; }

    // glEndList: the finished list; recording stops.
    DisplayList Finish();

private:
    void SetAttribute(OpCode code, unsigned bit, const std::array<double, 6>& v);

    bool recording_ = false;
    bool inside_ = false;
    unsigned id_ = 0;
    unsigned mode_ = 0;
    unsigned known_ = 0; // AttributeBits set by the list so far
    unsigned setInside_ = 0;
    Attributes values_;
    std::vector<Vertex> primitive_;
    DisplayList list_;
};

// Carries out a list's calls; the renderer's context is one.
class ListExecutor {
public:
    virtual ~ListExecutor() = default;

    // Performs one recorded call other than CallList and Draw.
    virtual void Execute(const Op& op) = 0;

    // Draws run of list, then makes the run's last attributes current.
    virtual void DrawRun(DisplayList& list, const Run& run) = 0;
};

// The lists of a context by name.
class DisplayLists {
public:
    // glGenLists: the first of range names never used (0 for an empty range).
    unsigned Generate(int range);

    // The list named id, or nullptr.
    DisplayList* Find(unsigned id);

    // Defines (or redefines) list id.
    void Store(unsigned id, DisplayList list);

    // Every list, for releasing their GL objects.
    std::unordered_map<unsigned, DisplayList>& All() { return lists_; }

private:
    std::unordered_map<unsigned, DisplayList> lists_;
    unsigned next_ = 1;
};

// glCallList(id): performs list id's calls in order, nested lists as they
// are defined now. An undefined id does nothing, as in GL; nesting deeper
// than GL's 64 lists throws Error.
void ReplayList(DisplayLists& lists, unsigned id, ListExecutor& executor);

} // namespace gles
