#include "Operators/SceneOperator.h"

#include "DemoSystem.h"
#include "Operators/PictureCover.h"
#include "Operators/SceneShared.h"

namespace orb {

GraphicSystem& SceneOperator::graphics() const
{
    return *demo().graphicSystem();
}

bool SceneOperator::initialize()
{
    if (graphics().device() == nullptr || !load())
        return false;
    rehearse();
    return true;
}

void SceneOperator::rehearse()
{
    work(start() + (end() - start()) / 2.0f, false);
}

void SceneOperator::work(float time, bool)
{
    device().clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer | gfx::ClearFlag::Stencil, clearColor(),
                   1.0f, 0);
    if (saved_)
        saved_->capture();
    else
        saved_ = device().createStateBlock();
    draw({time, time - start(), end() - start(), start(), end()});
    saved_->apply();
}

bool SceneOperator::loadEffect(const char* fileName, std::unique_ptr<fx::Effect>& effect)
{
    effect = graphics().createEffect(fileName);
    return effect != nullptr;
}

bool SceneOperator::loadScreenImage(const char* fileName, Picture& picture)
{
    constexpr int Width = 1280, Height = 720;
    if (!loadImage(*demo().fileSystem(), device(), fileName, Width, Height, picture.texture))
        return false;
    picture.cover = picture.texture ? PictureCover::of(device().readPixels(picture.texture->surfaceLevel(0)),
                                                       Width, Height)
                                    : PictureCover();
    return true;
}

} // namespace orb
