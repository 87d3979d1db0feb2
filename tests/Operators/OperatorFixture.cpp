#include "OperatorFixture.h"

#include <algorithm>
#include <cmath>

namespace orb::test {

std::string png(int width, int height, const std::function<gfx::Color(int x, int y)>& colour)
{
    std::vector<gfx::Color> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(colour(x, y));
    return gfx::test::pngBytes(width, height, pixels);
}

std::string solidPng(int width, int height, gfx::Color color)
{
    return png(width, height, [color](int, int) { return color; });
}

std::string landmarkPng()
{
    return png(16, 9, [](int x, int y) {
        if (y < 3)
            return x < 8 ? Red : Green;
        return x < 8 ? Blue : gfx::Color{0xFFFFFFFF};
    });
}

char landmarkAt(gfx::Color c)
{
    const int r = red(c), g = green(c), b = blue(c);
    if (std::min({r, g, b}) > 60 && std::min({r, g, b}) * 10 > std::max({r, g, b}) * 7)
        return 'w';
    if (r > 60 && r > 2 * std::max(g, b))
        return 'r';
    if (g > 60 && g > 2 * std::max(r, b))
        return 'g';
    if (b > 60 && b > 2 * std::max(r, g))
        return 'b';
    return '?';
}

OperatorTest::OperatorTest()
{
    std::filesystem::copy(std::filesystem::path(ORB_SOURCE_DIR) / "data" / "Data", "Data",
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    startGraphics(640, 360);
}

void OperatorTest::startGraphics(int width, int height, int multisampleType)
{
    resetDemo();
    DemoSettings settings;
    settings.width = width;
    settings.height = height;
    settings.aspectRatio = static_cast<float>(width) / static_cast<float>(height);
    settings.multisampleType = multisampleType;
    EXPECT_TRUE(demo_->graphicSystem()->init(settings));
}

gfx::Color OperatorTest::pixel(int x, int y)
{
    const int width = demo_->graphicSystem()->width();
    return device().readPixels(device().backBuffer())[y * width + x] & 0xFFFFFF;
}

FrameTime at(float local, float start, float end)
{
    return {start + local, local, end - start, start, end};
}

void ScreenTest::startScreens(int width, int height)
{
    startGraphics(width, height);
    writeFile("Data/tevro_logoscreen.png", landmarkPng());
    writeFile("Data/tevro_endscreen.png", landmarkPng());
    EXPECT_TRUE(
        loadDemo(R"(<demo><init><resources/></init><main length="20.8692"><scene id="0" name="s" end="21">
        <layer name="l" end="21"><children>
          <operator name="Scene1" id="0" start="0" end="6.9564"/>
          <operator name="Scene10" id="1" start="6.9564" end="20.8692"/>
        </children></layer></scene></main></demo>)"));
    title_ = dynamic_cast<Scene1Operator*>(operatorAt(0));
    end_ = dynamic_cast<Scene10Operator*>(operatorAt(1));
}

IOperator* ScreenTest::operatorAt(std::uint32_t id) const
{
    std::uint32_t cursor = id;
    return demo_->operatorManager()->nextOperator(cursor);
}

std::array<float, 3> ScreenTest::centre(const ScreenImageOperator& screen, const FrameTime& time)
{
    fx::MatrixStack stack;
    stack.loadIdentity();
    stack.translateLocal(0, 0, 1);
    screen.transform(stack, time);
    return {stack.top().m[3][0], stack.top().m[3][1], stack.top().m[3][2]};
}

bool ScreenTest::unturned(const ScreenImageOperator& screen, const FrameTime& time)
{
    fx::MatrixStack stack;
    stack.loadIdentity();
    screen.transform(stack, time);
    const auto& m = stack.top().m;
    return std::abs(m[0][0] - 1.0f) < 1e-6f && std::abs(m[0][1]) < 1e-6f && std::abs(m[1][0]) < 1e-6f;
}

std::string ShaderSceneFixture::soloScript(const std::string& type)
{
    return R"(<demo><init><resources/></init><main length="27.8256">
        <scene id="0" name="s" end="27.8256"><layer name="l" end="27.8256"><children>
          <operator name=")" +
           type + R"(" id="0" start="0" end="27.8256"/>
        </children></layer></scene></main></demo>)";
}

IOperator* ShaderSceneFixture::startOperator(const std::string& type)
{
    // The invitation's frame is the one image these scenes load.
    std::filesystem::copy_file(std::filesystem::path(ORB_PRODUCTION_DATA) / "tevro_overlay1.png",
                               "Data/tevro_overlay1.png", std::filesystem::copy_options::overwrite_existing);
    EXPECT_TRUE(loadDemo(soloScript(type)));
    std::uint32_t cursor = 0;
    return demo_->operatorManager()->nextOperator(cursor);
}

void ShaderSceneFixture::startScene(const std::string& type)
{
    scene_ = dynamic_cast<ShaderSceneOperator*>(startOperator(type));
    ASSERT_NE(scene_, nullptr);
}

std::vector<gfx::Color> ShaderSceneFixture::frameAt(float bars)
{
    demo_->scene(0)->process(atBars(bars).received, false);
    return device().readPixels(demo_->graphicSystem()->backBufferTarget()->colorSurface());
}

void ShaderSceneFixture::makeFonts()
{
    std::filesystem::copy_file(std::filesystem::path(ORB_PRODUCTION_DATA) / "VistaSanAltRegIta.ttf",
                               "Data/VistaSanAltRegIta.ttf",
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_TRUE(demo_->createFonts());
}

long ShaderSceneFixture::litTextPixels()
{
    const std::vector<gfx::Color> pixels =
        device().readPixels(demo_->graphicSystem()->renderTarget("Text")->colorSurface());
    return std::count_if(pixels.begin(), pixels.end(), [](gfx::Color c) { return (c & 0xFF) > 128; });
}

FrameTime ShaderSceneFixture::atBars(float bars)
{
    return at(bars * 4.0f * 60.0f / 138.0f, 0.0f, 27.8256f);
}

std::array<float, 4> ShaderSceneFixture::drawnAt(float bars, const char* name)
{
    demo_->scene(0)->process(atBars(bars).received, false);
    std::array<float, 4> value{};
    const fx::Effect& effect = *scene_->effect();
    effect.getValue(effect.parameterByName(name), value.data(), sizeof value);
    return value;
}

} // namespace orb::test
