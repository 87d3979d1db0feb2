#include "OperatorFixture.h"

#include <stb/stb_image_write.h>

namespace orb::test {

std::string solidPng(int width, int height, gfx::Color color)
{
    std::vector<unsigned char> rgba;
    for (int i = 0; i < width * height; ++i)
        rgba.insert(rgba.end(),
                    {static_cast<unsigned char>(color >> 16), static_cast<unsigned char>(color >> 8),
                     static_cast<unsigned char>(color), static_cast<unsigned char>(color >> 24)});
    std::string bytes;
    stbi_write_png_to_func(
        [](void* out, void* data, int size) {
            static_cast<std::string*>(out)->append(static_cast<char*>(data), size);
        },
        &bytes, width, height, 4, rgba.data(), width * 4);
    return bytes;
}

OperatorTest::OperatorTest()
{
    std::filesystem::copy(std::filesystem::path(ORB_SOURCE_DIR) / "data" / "Data", "Data",
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    DemoSettings settings;
    settings.width = 640;
    settings.height = 360;
    settings.multisampleType = 0;
    EXPECT_TRUE(demo_->graphicSystem()->init(settings));
}

gfx::Color OperatorTest::pixel(int x, int y)
{
    return device().readPixels(device().backBuffer())[y * 640 + x] & 0xFFFFFF;
}

FrameTime at(float local, float start, float end)
{
    return {start + local, local, end - start, start, end};
}

ScreenTest::ScreenTest()
{
    writeFile("Data/tevro_logoscreen.png", solidPng(16, 9, 0xFFFFFFFF));
    writeFile("Data/tevro_endscreen.png", solidPng(16, 9, 0xFFFFFFFF));
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

} // namespace orb::test
