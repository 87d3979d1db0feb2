// A weston module for tests/wayland/weston-player-test: a seat with a keyboard, which weston's
// headless backend lacks (SDL 2.26 cannot start its Wayland driver without one), and a viewer's
// two ways to end a program, on signals to weston:
//   SIGUSR1  the compositor asks every toplevel window to close (xdg_toplevel.close), as a
//            window's close box or the desktop's own close does
//   SIGUSR2  Escape pressed and released on the keyboard, to the window that has the focus
//
//   weston --backend=headless-backend.so --modules=/path/to/orb_weston_test_seat.so ...

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <libweston-desktop/libweston-desktop.h>
#include <libweston/libweston.h>
#include <linux/input-event-codes.h>
#include <wayland-server-core.h>

extern "C" {
// libweston 10 exports these to its backends without declaring them in an installed header.
void weston_seat_init(struct weston_seat* seat, struct weston_compositor* compositor, const char* seat_name);
int weston_seat_init_keyboard(struct weston_seat* seat, struct xkb_keymap* keymap);
void weston_seat_release(struct weston_seat* seat);
void notify_key(struct weston_seat* seat, const struct timespec* time, uint32_t key,
                enum wl_keyboard_key_state state, enum weston_key_state_update update_state);

WL_EXPORT int wet_module_init(struct weston_compositor* compositor, int* argc, char* argv[]);
}

namespace {

struct TestSeat
{
    weston_seat seat;
    wl_listener compositorDestroyed;
    wl_event_source* closeSignal;
    wl_event_source* escapeSignal;
};

int closeToplevels(int, void* data)
{
    auto* test = static_cast<TestSeat*>(data);
    weston_view* view;
    wl_list_for_each(view, &test->seat.compositor->view_list, link)
    {
        if (weston_surface_is_desktop_surface(view->surface))
            weston_desktop_surface_close(weston_surface_get_desktop_surface(view->surface));
    }
    return 0;
}

int pressEscape(int, void* data)
{
    auto* test = static_cast<TestSeat*>(data);
    timespec now;
    weston_compositor_get_time(&now);
    notify_key(&test->seat, &now, KEY_ESC, WL_KEYBOARD_KEY_STATE_PRESSED, STATE_UPDATE_AUTOMATIC);
    notify_key(&test->seat, &now, KEY_ESC, WL_KEYBOARD_KEY_STATE_RELEASED, STATE_UPDATE_AUTOMATIC);
    return 0;
}

void release(wl_listener* listener, void*)
{
    TestSeat* test = wl_container_of(listener, test, compositorDestroyed);
    wl_event_source_remove(test->closeSignal);
    wl_event_source_remove(test->escapeSignal);
    weston_seat_release(&test->seat);
    std::free(test);
}

} // namespace

WL_EXPORT int wet_module_init(struct weston_compositor* compositor, int*, char*[])
{
    // Zeroed, as weston's own seats are: weston_seat_init expects its lists and pointers empty.
    auto* test = static_cast<TestSeat*>(std::calloc(1, sizeof(TestSeat)));
    if (test == nullptr)
        return -1;
    weston_seat_init(&test->seat, compositor, "default");
    if (weston_seat_init_keyboard(&test->seat, nullptr) != 0) {
        weston_seat_release(&test->seat);
        std::free(test);
        return -1;
    }
    wl_event_loop* loop = wl_display_get_event_loop(compositor->wl_display);
    test->closeSignal = wl_event_loop_add_signal(loop, SIGUSR1, closeToplevels, test);
    test->escapeSignal = wl_event_loop_add_signal(loop, SIGUSR2, pressEscape, test);
    weston_compositor_add_destroy_listener_once(compositor, &test->compositorDestroyed, release);
    return 0;
}
