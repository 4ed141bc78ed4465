#include "port/GlShadow.h"

#include <GL/gl.h>

#include <algorithm>
#include <unordered_map>

namespace glshadow {

namespace {

// The entry points by name, from the one list of them.
enum Entry : std::uint8_t {
    NoEntry,
#define GL11_ENTRY(prefix, result, Name, parameters) Name,
#include "glapi/Entries.h"
#undef GL11_ENTRY
    Switch, // an Enable or a Disable, as a setting's key
};

// The deepest glCallList nesting GL promises.
constexpr int MaxListNesting = 64;

glapi::Gl11 real;
State state;
std::unordered_map<unsigned, std::vector<Call>> lists;
// Storage of matrix levels popped, by mode, for the next push.
std::vector<std::vector<Call>> spares[3];
unsigned compiling = 0; // the list being made, 0: none
bool executing = true;  // calls take effect now (not GL_COMPILE)

Call Make(Entry entry, unsigned u0 = 0, unsigned u1 = 0)
{
    Call call;
    call.entry = entry;
    call.u[0] = u0;
    call.u[1] = u1;
    return call;
}

Call Make(Entry entry, std::initializer_list<double> values)
{
    Call call = Make(entry);
    std::copy(values.begin(), values.end(), call.d);
    return call;
}

// Floats a light or light-model parameter has.
int CountOf(unsigned pname)
{
    switch (pname) {
    case GL_SPOT_DIRECTION:
        return 3;
    case GL_SPOT_EXPONENT:
    case GL_SPOT_CUTOFF:
    case GL_CONSTANT_ATTENUATION:
    case GL_LINEAR_ATTENUATION:
    case GL_QUADRATIC_ATTENUATION:
    case GL_LIGHT_MODEL_LOCAL_VIEWER:
    case GL_LIGHT_MODEL_TWO_SIDE:
        return 1;
    default:
        return 4;
    }
}

Call WithFloats(Entry entry, unsigned u0, unsigned u1, const float* params)
{
    Call call = Make(entry, u0, u1);
    for (int i = 0; i < CountOf(u1 != 0 ? u1 : u0); ++i) call.d[i] = params[i];
    return call;
}

bool SameSlot(const Call& a, const Call& b)
{
    const auto key = [](const Call& c) {
        return c.entry == Enable || c.entry == Disable ? std::uint8_t{Switch} : c.entry;
    };
    if (key(a) != key(b)) return false;
    switch (a.entry) {
    case Enable:
    case Disable:
    case LightModelfv:
    case Hint:
    case PixelStorei:
        return a.u[0] == b.u[0];
    case Lightfv:
    case TexEnvi:
        return a.u[0] == b.u[0] && a.u[1] == b.u[1];
    default:
        return true;
    }
}

void Set(const Call& call)
{
    for (Call& setting : state.settings)
        if (SameSlot(setting, call)) {
            setting = call;
            return;
        }
    state.settings.push_back(call);
}

int ModeIndex(unsigned mode)
{
    return mode == GL_PROJECTION ? 1 : mode == GL_TEXTURE ? 2 : 0;
}

std::vector<std::vector<Call>>& Stack()
{
    auto& stack = state.stacks[ModeIndex(state.matrixMode)];
    if (stack.empty()) stack.emplace_back();
    return stack;
}

// What a call does to the shadow, whether made now or from a list.
void Take(const Call& call, int depth)
{
    switch (call.entry) {
    case Normal3f:
        state.normal = call;
        break;
    case TexCoord2f:
    case TexCoord2d:
        state.texCoord = call;
        break;
    case Color3f:
    case Color4f:
        state.colour = call;
        break;
    case BindTexture:
        state.binding = call;
        break;
    case CallList: {
        if (depth >= MaxListNesting) break;
        const auto list = lists.find(call.u[0]);
        if (list == lists.end()) break;
        for (const Call& inner : list->second) Take(inner, depth + 1);
        break;
    }
    case MatrixMode:
        state.matrixMode = call.u[0];
        break;
    case PushMatrix: {
        // A level popped earlier lends its storage: pushes and pops come in
        // pairs for every object a pass draws.
        auto& stack = Stack();
        auto& spare = spares[ModeIndex(state.matrixMode)];
        if (spare.empty()) {
            stack.emplace_back();
        } else {
            stack.push_back(std::move(spare.back()));
            spare.pop_back();
        }
        stack.back() = stack[stack.size() - 2];
        break;
    }
    case PopMatrix: {
        auto& stack = Stack();
        if (stack.size() > 1) {
            spares[ModeIndex(state.matrixMode)].push_back(std::move(stack.back()));
            stack.pop_back();
        }
        break;
    }
    case LoadIdentity:
        Stack().back().clear();
        break;
    case Rotated:
    case Translated:
    case Frustum:
        Stack().back().push_back(call);
        break;
    case Lightfv:
        if (call.u[1] == GL_POSITION || call.u[1] == GL_SPOT_DIRECTION) {
            auto& modelview = state.stacks[0];
            if (modelview.empty()) modelview.emplace_back();
            const auto same = std::find_if(state.placements.begin(), state.placements.end(), [&](const auto& p) {
                return p.call.u[0] == call.u[0] && p.call.u[1] == call.u[1];
            });
            if (same != state.placements.end()) {
                same->call = call;
                same->modelview = modelview.back(); // into the storage it has
            } else {
                state.placements.push_back({call, modelview.back()});
            }
        } else {
            Set(call);
        }
        break;
    case Viewport:
    case Enable:
    case Disable:
    case LightModelfv:
    case ColorMaterial:
    case ShadeModel:
    case BlendFunc:
    case DepthFunc:
    case DepthMask:
    case Hint:
    case TexEnvi:
    case PixelStorei:
    case ClearColor:
        Set(call);
        break;
    default:
        break; // drawing, and the making of objects
    }
}

// A list as the shadow needs it: of the calls that set a current value
// (colour, normal, texture coordinate, bound texture), which no other call
// reads here, only the last of each kind is left, at the end.
void Summarise(std::vector<Call>& list)
{
    const auto current = [](const Call& c) {
        return c.entry == Normal3f || c.entry == TexCoord2f || c.entry == TexCoord2d || c.entry == Color3f ||
               c.entry == Color4f || c.entry == BindTexture;
    };
    const auto kind = [](const Call& c) {
        return c.entry == TexCoord2d ? std::uint8_t{TexCoord2f} : c.entry == Color4f ? std::uint8_t{Color3f} : c.entry;
    };
    std::vector<Call> last;
    for (const Call& call : list) {
        if (!current(call)) continue;
        const auto same = std::find_if(last.begin(), last.end(), [&](const Call& c) { return kind(c) == kind(call); });
        if (same != last.end())
            *same = call;
        else
            last.push_back(call);
    }
    std::erase_if(list, current);
    list.insert(list.end(), last.begin(), last.end());
}

// A call made now: into the list being made, and into effect unless the
// list is only being made.
void Note(const Call& call)
{
    if (compiling != 0) {
        lists[compiling].push_back(call);
        if (!executing) return;
    }
    Take(call, 0);
}

// The current colour, normal and texture coordinate change with nearly
// every vertex: outside a list being made they are set in place, to what
// Take would set them to, without a call built and copied on the way.
void NoteCurrent(Call State::*slot, Entry entry, double a, double b, double c = 0, double d = 0)
{
    if (compiling != 0) {
        Note(Make(entry, {a, b, c, d}));
        return;
    }
    Call& current = state.*slot;
    current.entry = entry;
    current.d[0] = a;
    current.d[1] = b;
    current.d[2] = c;
    current.d[3] = d;
}

// The table's entry points: each notes its call; the tee's also make it.
template <bool Draw>
struct Entries {
    static void Begin(unsigned mode)
    {
        if (Draw) real.Begin(mode);
    }
    static void End()
    {
        if (Draw) real.End();
    }
    static void Vertex3f(float x, float y, float z)
    {
        if (Draw) real.Vertex3f(x, y, z);
    }
    static void Normal3f(float x, float y, float z)
    {
        NoteCurrent(&State::normal, glshadow::Normal3f, x, y, z);
        if (Draw) real.Normal3f(x, y, z);
    }
    static void TexCoord2f(float s, float t)
    {
        NoteCurrent(&State::texCoord, glshadow::TexCoord2f, s, t);
        if (Draw) real.TexCoord2f(s, t);
    }
    static void TexCoord2d(double s, double t)
    {
        NoteCurrent(&State::texCoord, glshadow::TexCoord2d, s, t);
        if (Draw) real.TexCoord2d(s, t);
    }
    static void Color3f(float r, float g, float b)
    {
        NoteCurrent(&State::colour, glshadow::Color3f, r, g, b);
        if (Draw) real.Color3f(r, g, b);
    }
    static void Color4f(float r, float g, float b, float a)
    {
        NoteCurrent(&State::colour, glshadow::Color4f, r, g, b, a);
        if (Draw) real.Color4f(r, g, b, a);
    }
    // Lists are made once, by the driver; the shadow keeps what is in them.
    static unsigned GenLists(int range) { return real.GenLists(range); }
    static void NewList(unsigned list, unsigned mode)
    {
        compiling = list;
        executing = mode == GL_COMPILE_AND_EXECUTE;
        lists[list].clear();
        real.NewList(list, mode);
    }
    static void EndList()
    {
        if (compiling != 0) Summarise(lists[compiling]);
        compiling = 0;
        executing = true;
        real.EndList();
    }
    static void CallList(unsigned list)
    {
        Note(Make(glshadow::CallList, list));
        if (Draw) real.CallList(list);
    }
    static void MatrixMode(unsigned mode)
    {
        Note(Make(glshadow::MatrixMode, mode));
        if (Draw) real.MatrixMode(mode);
    }
    static void PushMatrix()
    {
        Note(Make(glshadow::PushMatrix));
        if (Draw) real.PushMatrix();
    }
    static void PopMatrix()
    {
        Note(Make(glshadow::PopMatrix));
        if (Draw) real.PopMatrix();
    }
    static void LoadIdentity()
    {
        Note(Make(glshadow::LoadIdentity));
        if (Draw) real.LoadIdentity();
    }
    static void Rotated(double angle, double x, double y, double z)
    {
        Note(Make(glshadow::Rotated, {angle, x, y, z}));
        if (Draw) real.Rotated(angle, x, y, z);
    }
    static void Translated(double x, double y, double z)
    {
        Note(Make(glshadow::Translated, {x, y, z}));
        if (Draw) real.Translated(x, y, z);
    }
    static void Frustum(double left, double right, double bottom, double top, double zNear, double zFar)
    {
        Note(Make(glshadow::Frustum, {left, right, bottom, top, zNear, zFar}));
        if (Draw) real.Frustum(left, right, bottom, top, zNear, zFar);
    }
    static void Viewport(int x, int y, int width, int height)
    {
        Note(Make(glshadow::Viewport, {double(x), double(y), double(width), double(height)}));
        if (Draw) real.Viewport(x, y, width, height);
    }
    static void Enable(unsigned cap)
    {
        Note(Make(glshadow::Enable, cap));
        if (Draw) real.Enable(cap);
    }
    static void Disable(unsigned cap)
    {
        Note(Make(glshadow::Disable, cap));
        if (Draw) real.Disable(cap);
    }
    static void Lightfv(unsigned light, unsigned pname, const float* params)
    {
        Note(WithFloats(glshadow::Lightfv, light, pname, params));
        if (Draw) real.Lightfv(light, pname, params);
    }
    static void LightModelfv(unsigned pname, const float* params)
    {
        Note(WithFloats(glshadow::LightModelfv, pname, 0, params));
        if (Draw) real.LightModelfv(pname, params);
    }
    static void ColorMaterial(unsigned face, unsigned mode)
    {
        Note(Make(glshadow::ColorMaterial, face, mode));
        if (Draw) real.ColorMaterial(face, mode);
    }
    static void ShadeModel(unsigned mode)
    {
        Note(Make(glshadow::ShadeModel, mode));
        if (Draw) real.ShadeModel(mode);
    }
    static void BlendFunc(unsigned sfactor, unsigned dfactor)
    {
        Note(Make(glshadow::BlendFunc, sfactor, dfactor));
        if (Draw) real.BlendFunc(sfactor, dfactor);
    }
    static void DepthFunc(unsigned func)
    {
        Note(Make(glshadow::DepthFunc, func));
        if (Draw) real.DepthFunc(func);
    }
    static void DepthMask(unsigned char flag)
    {
        Note(Make(glshadow::DepthMask, flag));
        if (Draw) real.DepthMask(flag);
    }
    static void Hint(unsigned target, unsigned mode)
    {
        Note(Make(glshadow::Hint, target, mode));
        if (Draw) real.Hint(target, mode);
    }
    static void GenTextures(int n, unsigned* textures) { real.GenTextures(n, textures); }
    static void BindTexture(unsigned target, unsigned texture)
    {
        Note(Make(glshadow::BindTexture, target, texture));
        if (Draw) real.BindTexture(target, texture);
    }
    static void TexImage2D(unsigned target, int level, int internalFormat, int width, int height, int border,
                           unsigned format, unsigned type, const void* pixels)
    {
        real.TexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
    }
    static void TexParameteri(unsigned target, unsigned pname, int param) { real.TexParameteri(target, pname, param); }
    static void TexEnvi(unsigned target, unsigned pname, int param)
    {
        Call call = Make(glshadow::TexEnvi, target, pname);
        call.d[0] = param;
        Note(call);
        if (Draw) real.TexEnvi(target, pname, param);
    }
    // Not kept in lists: it takes effect at once.
    static void PixelStorei(unsigned pname, int param)
    {
        Call call = Make(glshadow::PixelStorei, pname);
        call.d[0] = param;
        Take(call, 0);
        real.PixelStorei(pname, param);
    }
    static int Build2DMipmaps(unsigned target, int components, int width, int height, unsigned format, unsigned type,
                              const void* data)
    {
        return real.Build2DMipmaps(target, components, width, height, format, type, data);
    }
    static void Clear(unsigned mask)
    {
        if (Draw) real.Clear(mask);
    }
    static void ClearColor(float r, float g, float b, float a)
    {
        Note(Make(glshadow::ClearColor, {r, g, b, a}));
        if (Draw) real.ClearColor(r, g, b, a);
    }
};

template <bool Draw>
glapi::Gl11 TableOf(const glapi::Gl11& driver)
{
    real = driver;
    glapi::Gl11 table{};
#define GL11_ENTRY(prefix, result, Name, parameters) table.Name = &Entries<Draw>::Name;
#include "glapi/Entries.h"
#undef GL11_ENTRY
    return table;
}

float F(double value)
{
    return static_cast<float>(value);
}

// Makes one remembered call again.
void Redo(const glapi::Gl11& gl, const Call& c)
{
    float params[4] = {F(c.d[0]), F(c.d[1]), F(c.d[2]), F(c.d[3])};
    const auto u = [&](int i) { return c.u[i]; };
    switch (c.entry) {
    case Normal3f:
        gl.Normal3f(params[0], params[1], params[2]);
        break;
    case TexCoord2f:
        gl.TexCoord2f(params[0], params[1]);
        break;
    case TexCoord2d:
        gl.TexCoord2d(c.d[0], c.d[1]);
        break;
    case Color3f:
        gl.Color3f(params[0], params[1], params[2]);
        break;
    case Color4f:
        gl.Color4f(params[0], params[1], params[2], params[3]);
        break;
    case Rotated:
        gl.Rotated(c.d[0], c.d[1], c.d[2], c.d[3]);
        break;
    case Translated:
        gl.Translated(c.d[0], c.d[1], c.d[2]);
        break;
    case Frustum:
        gl.Frustum(c.d[0], c.d[1], c.d[2], c.d[3], c.d[4], c.d[5]);
        break;
    case Viewport:
        gl.Viewport(static_cast<int>(c.d[0]), static_cast<int>(c.d[1]), static_cast<int>(c.d[2]),
                    static_cast<int>(c.d[3]));
        break;
    case Enable:
        gl.Enable(u(0));
        break;
    case Disable:
        gl.Disable(u(0));
        break;
    case Lightfv:
        gl.Lightfv(u(0), u(1), params);
        break;
    case LightModelfv:
        gl.LightModelfv(u(0), params);
        break;
    case ColorMaterial:
        gl.ColorMaterial(u(0), u(1));
        break;
    case ShadeModel:
        gl.ShadeModel(u(0));
        break;
    case BlendFunc:
        gl.BlendFunc(u(0), u(1));
        break;
    case DepthFunc:
        gl.DepthFunc(u(0));
        break;
    case DepthMask:
        gl.DepthMask(static_cast<unsigned char>(u(0)));
        break;
    case Hint:
        gl.Hint(u(0), u(1));
        break;
    case BindTexture:
        gl.BindTexture(u(0), u(1));
        break;
    case TexEnvi:
        gl.TexEnvi(u(0), u(1), static_cast<int>(c.d[0]));
        break;
    case PixelStorei:
        gl.PixelStorei(u(0), static_cast<int>(c.d[0]));
        break;
    case ClearColor:
        gl.ClearColor(params[0], params[1], params[2], params[3]);
        break;
    default:
        break;
    }
}

void LoadLevel(const glapi::Gl11& gl, const std::vector<Call>& level)
{
    gl.LoadIdentity();
    for (const Call& call : level) Redo(gl, call);
}

} // namespace

glapi::Gl11 Tee(const glapi::Gl11& driver)
{
    return TableOf<true>(driver);
}

glapi::Gl11 Shadow(const glapi::Gl11& driver)
{
    return TableOf<false>(driver);
}

const State& Current()
{
    return state;
}

void Restore(const State& kept)
{
    state = kept;
}

void Reset()
{
    state = State{};
    lists.clear();
    for (auto& spare : spares) spare.clear();
    compiling = 0;
    executing = true;
}

void Apply(const glapi::Gl11& gl)
{
    for (const Call& setting : state.settings) Redo(gl, setting);
    if (state.binding.entry != NoEntry) Redo(gl, state.binding);

    // Lights take their place under the modelview matrix of their time.
    gl.MatrixMode(GL_MODELVIEW);
    for (const State::Placement& placement : state.placements) {
        LoadLevel(gl, placement.modelview);
        Redo(gl, placement.call);
    }
    constexpr unsigned Modes[] = {GL_MODELVIEW, GL_PROJECTION, GL_TEXTURE};
    for (int m = 0; m < 3; ++m) {
        const auto& stack = state.stacks[m];
        // A mode never chosen still holds its identity (the modelview
        // matrix may have been loaded for the lights just now).
        if (stack.empty() && m != 0) continue;
        gl.MatrixMode(Modes[m]);
        if (stack.empty()) {
            gl.LoadIdentity();
            continue;
        }
        for (std::size_t level = 0; level < stack.size(); ++level) {
            if (level > 0) gl.PushMatrix();
            LoadLevel(gl, stack[level]);
        }
    }
    gl.MatrixMode(state.matrixMode);

    for (const Call* current : {&state.colour, &state.normal, &state.texCoord})
        if (current->entry != NoEntry) Redo(gl, *current);
}

} // namespace glshadow
