// wlpointer: moves a wlroots compositor's pointer and clicks, for the
// end-to-end test on sway (the pointer a person would move over the bar).
//   wlpointer WIDTH HEIGHT [COMMAND...]
// WIDTH and HEIGHT are the output layout's size; each COMMAND is one of
//   move X Y        the pointer to X,Y (layout pixels)
//   click BUTTON    press and release left, right or middle
//   sleep MS        wait MS milliseconds
// Without commands it reads them from standard input, a line at a time, and
// answers each line with "ok" once the compositor has taken it: one virtual
// pointer for the whole session (sway 1.7 can crash when a client's pointer
// goes away while XWayland runs). Exits 0 when the compositor took every
// request, 1 when it went away, 2 on a command it cannot read.
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

// Runs the command in words[0..count); returns how many words it took, 0
// when it cannot read them.
static int run_command(struct wl_display* display, struct zwlr_virtual_pointer_v1* pointer, uint32_t width,
                       uint32_t height, char** words, int count)
{
    if (count >= 3 && strcmp(words[0], "move") == 0) {
        const uint32_t x = (uint32_t)strtoul(words[1], NULL, 10);
        const uint32_t y = (uint32_t)strtoul(words[2], NULL, 10);
        zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), x, y, width, height);
        zwlr_virtual_pointer_v1_frame(pointer);
        return 3;
    }
    if (count >= 2 && strcmp(words[0], "click") == 0 && button_code(words[1]) >= 0) {
        const uint32_t code = (uint32_t)button_code(words[1]);
        zwlr_virtual_pointer_v1_button(pointer, now_ms(), code, WL_POINTER_BUTTON_STATE_PRESSED);
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
        pause_ms(30);
        zwlr_virtual_pointer_v1_button(pointer, now_ms(), code, WL_POINTER_BUTTON_STATE_RELEASED);
        zwlr_virtual_pointer_v1_frame(pointer);
        return 2;
    }
    if (count >= 2 && strcmp(words[0], "sleep") == 0) {
        wl_display_roundtrip(display);
        pause_ms(strtol(words[1], NULL, 10));
        return 2;
    }
    return 0;
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
    wl_display_roundtrip(display);

    int status = 0;
    if (argc > 3) {
        for (int i = 3; i < argc && status == 0; ) {
            const int taken = run_command(display, pointer, width, height, argv + i, argc - i);
            if (taken == 0) {
                fprintf(stderr, "wlpointer: cannot read the command '%s'\n", argv[i]);
                status = 2;
            } else if (wl_display_roundtrip(display) < 0) {
                status = 1;
            }
            i += taken;
        }
    } else {
        char line[256];
        while (status != 1 && fgets(line, sizeof line, stdin)) {
            char* words[16];
            int count = 0;
            for (char* word = strtok(line, " \t\n"); word && count < 16; word = strtok(NULL, " \t\n"))
                words[count++] = word;
            const char* error = NULL;
            for (int i = 0; i < count && !error; ) {
                const int taken = run_command(display, pointer, width, height, words + i, count - i);
                if (taken == 0)
                    error = "cannot read the command";
                else if (wl_display_roundtrip(display) < 0)
                    error = "the compositor went away", status = 1;
                i += taken;
            }
            printf("%s\n", error ? error : "ok");
            fflush(stdout);
        }
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return status;
}
