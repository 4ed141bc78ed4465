// The GL enum values the renderer takes, named without the GL_ prefix so that
// they sit beside <GLES3/gl3.h> without clashing. Most of GL 1.1's (quads,
// polygons, lighting, display lists, the texture environment) have no ES
// header to come from, and the pure parts of the renderer include no GL
// header at all.
#pragma once

namespace gles::glenum {

// Primitives.
constexpr unsigned Points = 0x0000;
constexpr unsigned Lines = 0x0001;
constexpr unsigned LineLoop = 0x0002;
constexpr unsigned LineStrip = 0x0003;
constexpr unsigned Triangles = 0x0004;
constexpr unsigned TriangleStrip = 0x0005;
constexpr unsigned TriangleFan = 0x0006;
constexpr unsigned Quads = 0x0007;
constexpr unsigned QuadStrip = 0x0008;
constexpr unsigned Polygon = 0x0009;

// Capabilities.
constexpr unsigned CullFace = 0x0B44;
constexpr unsigned Lighting = 0x0B50;
constexpr unsigned ColorMaterial = 0x0B57;
constexpr unsigned DepthTest = 0x0B71;
constexpr unsigned Normalize = 0x0BA1;
constexpr unsigned Dither = 0x0BD0;
constexpr unsigned Blend = 0x0BE2;
constexpr unsigned Texture2D = 0x0DE1;
constexpr unsigned Light0 = 0x4000;
constexpr unsigned Light7 = 0x4007;

// Matrix modes.
constexpr unsigned Modelview = 0x1700;
constexpr unsigned Projection = 0x1701;
constexpr unsigned Texture = 0x1702;

// Lights, the light model and materials.
constexpr unsigned Ambient = 0x1200;
constexpr unsigned Diffuse = 0x1201;
constexpr unsigned Specular = 0x1202;
constexpr unsigned Position = 0x1203;
constexpr unsigned SpotDirection = 0x1204;
constexpr unsigned SpotExponent = 0x1205;
constexpr unsigned SpotCutoff = 0x1206;
constexpr unsigned ConstantAttenuation = 0x1207;
constexpr unsigned LinearAttenuation = 0x1208;
constexpr unsigned QuadraticAttenuation = 0x1209;
constexpr unsigned Emission = 0x1600;
constexpr unsigned AmbientAndDiffuse = 0x1602;
constexpr unsigned LightModelLocalViewer = 0x0B51;
constexpr unsigned LightModelTwoSide = 0x0B52;
constexpr unsigned LightModelAmbient = 0x0B53;
constexpr unsigned Front = 0x0404;
constexpr unsigned Back = 0x0405;
constexpr unsigned FrontAndBack = 0x0408;
constexpr unsigned Flat = 0x1D00;
constexpr unsigned Smooth = 0x1D01;

// Display lists.
constexpr unsigned Compile = 0x1300;
constexpr unsigned CompileAndExecute = 0x1301;

// Textures and their environment.
constexpr unsigned TextureMagFilter = 0x2800;
constexpr unsigned TextureMinFilter = 0x2801;
constexpr unsigned TextureWrapS = 0x2802;
constexpr unsigned TextureWrapT = 0x2803;
constexpr unsigned Nearest = 0x2600;
constexpr unsigned Linear = 0x2601;
constexpr unsigned NearestMipmapNearest = 0x2700;
constexpr unsigned LinearMipmapNearest = 0x2701;
constexpr unsigned NearestMipmapLinear = 0x2702;
constexpr unsigned LinearMipmapLinear = 0x2703;
constexpr unsigned Clamp = 0x2900;
constexpr unsigned Repeat = 0x2901;
constexpr unsigned TextureEnv = 0x2300;
constexpr unsigned TextureEnvMode = 0x2200;
constexpr unsigned Modulate = 0x2100;
constexpr unsigned Decal = 0x2101;
constexpr unsigned Replace = 0x1E01;
constexpr unsigned Rgb = 0x1907;
constexpr unsigned Rgba = 0x1908;
constexpr unsigned Rgb8 = 0x8051;
constexpr unsigned Rgba8 = 0x8058;
constexpr unsigned UnsignedByte = 0x1401;
constexpr unsigned UnpackAlignment = 0x0CF5;
constexpr unsigned PackAlignment = 0x0D05;

// Fragment operations.
constexpr unsigned Zero = 0;
constexpr unsigned One = 1;
constexpr unsigned SrcColor = 0x0300;
constexpr unsigned OneMinusSrcColor = 0x0301;
constexpr unsigned SrcAlpha = 0x0302;
constexpr unsigned OneMinusSrcAlpha = 0x0303;
constexpr unsigned DstAlpha = 0x0304;
constexpr unsigned OneMinusDstAlpha = 0x0305;
constexpr unsigned DstColor = 0x0306;
constexpr unsigned OneMinusDstColor = 0x0307;
constexpr unsigned SrcAlphaSaturate = 0x0308;
constexpr unsigned Never = 0x0200;
constexpr unsigned Always = 0x0207;

// Hints.
constexpr unsigned PerspectiveCorrectionHint = 0x0C50;
constexpr unsigned FogHint = 0x0C54;
constexpr unsigned DontCare = 0x1100;
constexpr unsigned Nicest = 0x1102;

// glClear's buffers.
constexpr unsigned DepthBufferBit = 0x0100;
constexpr unsigned AccumBufferBit = 0x0200;
constexpr unsigned StencilBufferBit = 0x0400;
constexpr unsigned ColorBufferBit = 0x4000;

} // namespace gles::glenum
