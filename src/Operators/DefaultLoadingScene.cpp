#include "Operators/DefaultLoadingScene.h"

#include "DemoSystem.h"
#include "Operators/SceneShared.h"
#include "platform/fx/Matrix.h"

namespace orb {

namespace {

// A quad's x and y replaced, everything else kept.
Quad placed(Quad quad, float left, float right, float bottom, float top)
{
    quad[0].x = quad[2].x = left;
    quad[1].x = quad[3].x = right;
    quad[0].y = quad[1].y = bottom;
    quad[2].y = quad[3].y = top;
    return quad;
}

} // namespace

DefaultLoadingScene::DefaultLoadingScene(DemoSystem& owner, std::uint32_t requestedId)
    : Scene(owner, requestedId)
{
    setSpan("DefaultLoadingScene", 0.0f, 1.0f);
    gfx::Device* device = owner.graphicSystem()->device();
    if (device == nullptr)
        return;
    FileSystem& files = *owner.fileSystem();
    loadImage(files, *device, "Data\\tevro_loader_empty.png", 1280, 720, background_);
    loadImage(files, *device, "Data\\tevro_loader_1px.png", 1, 23, bar_);
    loadImage(files, *device, "Data\\tevro_loader_chrome.png", 5, 23, cap_);
}

void DefaultLoadingScene::process(float time, bool)
{
    GraphicSystem& graphics = *owner().graphicSystem();
    gfx::Device* device = graphics.device();
    if (device == nullptr)
        return;
    const float aspect = graphics.aspectRatio();
    device->beginScene();
    device->clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer, 0, 1.0f, 0);
    const std::unique_ptr<gfx::StateBlock> saved = device->createStateBlock();

    const std::uint32_t level = 255 - (device->renderState(gfx::RenderState::BlendFactor) & 0xFF);
    const float progress = time / (end() - start());
    const float g = PictureAspect / aspect;
    const Quad background =
        imageQuad(aspect, graphics.width(), graphics.height(), 1.0f, gfx::argb(0, level, level, level));
    graphics.matrixStack().loadIdentity();
    drawPicture(graphics, background, background_.get(), graphics.matrixStack().top(),
                graphics.matrixStack().top(), 1.0f);
    // The bar and its cap under the same camera.
    drawImageQuad(*device,
                  placed(background, aspect * -0.918f, aspect * (progress * 1.836f - 0.918f),
                         -0.011f - 0.0345f / g, -0.011f + 0.0345f / g),
                  bar_.get());
    const float capCentre = progress * 1.832f - 0.916f;
    drawImageQuad(*device,
                  placed(background, aspect * (capCentre - 0.005f), aspect * (capCentre + 0.005f),
                         -0.0127f - 0.035f / g, -0.0127f + 0.035f / g),
                  cap_.get());

    saved->apply();
    device->endScene();
    device->present();
}

} // namespace orb
