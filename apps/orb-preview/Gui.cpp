#include "Gui.h"

#include <SDL.h>
#include <imgui.h>
#include <imgui_impl_opengl3.h>
#include <imgui_impl_sdl.h>

namespace orb::preview {

namespace {

bool isInput(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTINPUT:
    case SDL_WINDOWEVENT:
        return true;
    default:
        return false;
    }
}

} // namespace

std::unique_ptr<Gui> Gui::create(gfx::Backend& backend, std::function<void()> draw)
{
    SDL_Window* window = SDL_GL_GetCurrentWindow(); // none off-screen, where EGL has the context
    if (window == nullptr)
        return nullptr;
    auto gui = std::unique_ptr<Gui>(new Gui(backend, std::move(draw)));
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr; // nothing written where the author happens to be
    io.LogFilename = nullptr;
    ImGui::StyleColorsDark();
    ImGui_ImplSDL2_InitForOpenGL(window, SDL_GL_GetCurrentContext());
    ImGui_ImplOpenGL3_Init("#version 450 core");
    ImGui_ImplOpenGL3_CreateDeviceObjects();
    SDL_SetWindowResizable(window, SDL_TRUE);
    SDL_AddEventWatch(&Gui::watch, gui.get());
    backend.setOverlay([raw = gui.get()] { raw->render(); });
    return gui;
}

Gui::Gui(gfx::Backend& backend, std::function<void()> draw) : backend_(backend), draw_(std::move(draw)) {}

Gui::~Gui()
{
    backend_.setOverlay({});
    SDL_DelEventWatch(&Gui::watch, this);
    endFrame();
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
}

void Gui::beginFrame()
{
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    // The backend reads the pointer from SDL's global state, which on X11 follows raw input
    // events that synthetic input (xdotool, remote desktops) need not send; the window's own
    // pointer position comes from the events it gets, and follows a drag that leaves it.
    if (SDL_Window* window = SDL_GetMouseFocus(); window != nullptr && window == SDL_GL_GetCurrentWindow()) {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        ImGui::GetIO().MousePos = {static_cast<float>(x), static_cast<float>(y)};
    }
    ImGui::NewFrame();
    begun_ = true;
}

void Gui::endFrame()
{
    if (begun_)
        ImGui::EndFrame();
    begun_ = false;
}

int Gui::watch(void*, SDL_Event* event)
{
    // Input comes from the thread that pumps the window's events, the one that draws.
    if (isInput(*event))
        ImGui_ImplSDL2_ProcessEvent(event);
    return 0;
}

void Gui::render()
{
    if (!begun_)
        return;
    draw_();
    ImGui::Render();
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    begun_ = false;
}

} // namespace orb::preview
