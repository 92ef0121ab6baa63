// wlpointer: moves a wlroots compositor's pointer and clicks, for the
// end-to-end test on sway (the pointer a person would move over the bar).
//   wlpointer WIDTH HEIGHT COMMAND...
// WIDTH and HEIGHT are the output layout's size; each COMMAND is one of
//   move X Y        the pointer to X,Y (layout pixels)
//   click BUTTON    press and release left, right or middle
//   sleep MS        wait MS milliseconds between commands
// Exits 0 when the compositor took every request, 1 otherwise.
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

struct globals {
    struct wl_seat* seat;
    struct zwlr_virtual_pointer_manager_v1* manager;
};

static void global_added(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                         uint32_t version)
{
    struct globals* g = data;
    (void)version;
    if (strcmp(interface, wl_seat_interface.name) == 0 && !g->seat)
        g->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        g->manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
}

static void global_removed(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registry_listener = {global_added, global_removed};

static uint32_t now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (uint32_t)(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

static void pause_ms(long ms)
{
    struct timespec ts = {ms / 1000, (ms % 1000) * 1000000};
    nanosleep(&ts, NULL);
}

static int button_code(const char* name)
{
    if (strcmp(name, "left") == 0)
        return BTN_LEFT;
    if (strcmp(name, "right") == 0)
        return BTN_RIGHT;
    if (strcmp(name, "middle") == 0)
        return BTN_MIDDLE;
    return -1;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: wlpointer WIDTH HEIGHT [move X Y | click BUTTON | sleep MS]...\n");
        return 2;
    }
    const uint32_t width = (uint32_t)strtoul(argv[1], NULL, 10);
    const uint32_t height = (uint32_t)strtoul(argv[2], NULL, 10);
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "wlpointer: no Wayland display\n");
        return 1;
    }
    struct globals g = {NULL, NULL};
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &g);
    wl_display_roundtrip(display);
    if (!g.manager) {
        fprintf(stderr, "wlpointer: the compositor offers no virtual pointer\n");
        return 1;
    }
    struct zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.manager, g.seat);

    int status = 0;
    for (int i = 3; i < argc && status == 0; ++i) {
        if (strcmp(argv[i], "move") == 0 && i + 2 < argc) {
            const uint32_t x = (uint32_t)strtoul(argv[i + 1], NULL, 10);
            const uint32_t y = (uint32_t)strtoul(argv[i + 2], NULL, 10);
            zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), x, y, width, height);
            zwlr_virtual_pointer_v1_frame(pointer);
            i += 2;
        } else if (strcmp(argv[i], "click") == 0 && i + 1 < argc && button_code(argv[i + 1]) >= 0) {
            const uint32_t code = (uint32_t)button_code(argv[i + 1]);
            zwlr_virtual_pointer_v1_button(pointer, now_ms(), code, WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(pointer);
            wl_display_roundtrip(display);
            pause_ms(30);
            zwlr_virtual_pointer_v1_button(pointer, now_ms(), code, WL_POINTER_BUTTON_STATE_RELEASED);
            zwlr_virtual_pointer_v1_frame(pointer);
            i += 1;
        } else if (strcmp(argv[i], "sleep") == 0 && i + 1 < argc) {
            wl_display_roundtrip(display);
            pause_ms(strtol(argv[i + 1], NULL, 10));
            i += 1;
        } else {
            fprintf(stderr, "wlpointer: cannot read the command '%s'\n", argv[i]);
            status = 2;
            break;
        }
        if (wl_display_roundtrip(display) < 0)
            status = 1;
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return status;
}
