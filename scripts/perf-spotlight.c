/* Measures the spotlight of a running halomark: moves the pointer in a circle with XTEST for a
 * number of seconds, counts the repaints of halomark's spotlight windows (the override-redirect
 * windows of its process that cover a whole monitor) with DAMAGE, and reads its CPU time from
 * /proc. Prints one line of key=value fields. Built and run by scripts/perf-spotlight.sh.
 *
 *   perf-spotlight PID SECONDS [still]
 *
 * "still" leaves the pointer where it is, for the cost of the spotlight on and the pointer
 * still. Frames are counted with the server's time stamps: damage reports less than 4 ms apart
 * are one frame; an interval longer than 25 ms between frames while the pointer moves is a
 * dropped frame. */
#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static double seconds_now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

/* utime + stime of the process, in clock ticks. */
static long long cpu_ticks(int pid)
{
    char path[64], text[4096];
    snprintf(path, sizeof path, "/proc/%d/stat", pid);
    FILE* file = fopen(path, "r");
    if (!file) {
        return -1;
    }
    size_t n = fread(text, 1, sizeof text - 1, file);
    fclose(file);
    text[n] = 0;
    char* p = strrchr(text, ')');
    long long utime = 0, stime = 0;
    /* Fields 14 and 15, counted from the state (field 3) after the command's name. */
    if (!p || sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lld %lld", &utime,
                     &stime) != 2) {
        return -1;
    }
    return utime + stime;
}

static xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, (uint16_t)strlen(name), name), NULL);
    xcb_atom_t a = r ? r->atom : XCB_ATOM_NONE;
    free(r);
    return a;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: perf-spotlight PID SECONDS [still]\n");
        return 2;
    }
    const int pid = atoi(argv[1]);
    const double duration = atof(argv[2]);
    const int still = argc > 3 && strcmp(argv[3], "still") == 0;

    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c)) {
        fprintf(stderr, "perf-spotlight: no display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    free(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), NULL));
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(c, &xcb_damage_id);
    if (!damage || !damage->present) {
        fprintf(stderr, "perf-spotlight: no DAMAGE extension\n");
        return 1;
    }
    const xcb_atom_t wmPid = atom(c, "_NET_WM_PID");

    /* The spotlight windows: mapped, override-redirect, of the process, a whole monitor large
     * (at least 1000 pixels wide: the pulses and the menus are small). */
    int watched = 0;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, screen->root), NULL);
    xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
        xcb_get_window_attributes_reply_t* a =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), NULL);
        xcb_get_geometry_reply_t* g =
            xcb_get_geometry_reply(c, xcb_get_geometry(c, children[i]), NULL);
        xcb_get_property_reply_t* p = xcb_get_property_reply(
            c, xcb_get_property(c, 0, children[i], wmPid, XCB_ATOM_CARDINAL, 0, 1), NULL);
        const int ours = p && xcb_get_property_value_length(p) == 4 &&
                         *(uint32_t*)xcb_get_property_value(p) == (uint32_t)pid;
        if (a && g && ours && a->override_redirect && a->map_state == XCB_MAP_STATE_VIEWABLE &&
            g->width >= 1000) {
            xcb_damage_create(c, xcb_generate_id(c), children[i],
                              XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
            ++watched;
        }
        free(a);
        free(g);
        free(p);
    }
    free(tree);
    xcb_flush(c);
    /* A new damage object reports its whole window once: not a repaint. */
    usleep(200000);
    for (xcb_generic_event_t* stale; (stale = xcb_poll_for_event(c));) {
        free(stale);
    }
    if (watched == 0) {
        fprintf(stderr, "perf-spotlight: no spotlight window of process %d\n", pid);
        return 1;
    }

    const long clockTicks = sysconf(_SC_CLK_TCK);
    const long long cpuBefore = cpu_ticks(pid);
    const double start = seconds_now();
    double nextMove = start;
    int frames = 0, dropped = 0, reports = 0;
    uint32_t firstFrame = 0, lastFrame = 0, lastReport = 0, longest = 0;
    double damagedPixels = 0;
    const int cx = 640, cy = 400, radius = 200;
    while (seconds_now() - start < duration) {
        const double now = seconds_now();
        if (!still && now >= nextMove) {
            /* One turn every 2 s, a move every 8 ms: every 60 Hz sample sees the pointer move. */
            const double angle = (now - start) * M_PI;
            xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, screen->root,
                                (int16_t)(cx + radius * cos(angle)),
                                (int16_t)(cy + radius * sin(angle)), 0);
            xcb_flush(c);
            nextMove += 0.008;
        }
        xcb_generic_event_t* event;
        while ((event = xcb_poll_for_event(c))) {
            if ((event->response_type & 0x7f) == damage->first_event + XCB_DAMAGE_NOTIFY) {
                const xcb_damage_notify_event_t* d = (const xcb_damage_notify_event_t*)event;
                ++reports;
                damagedPixels += (double)d->area.width * d->area.height;
                if (frames == 0 || d->timestamp - lastReport >= 4) {
                    if (frames > 0) {
                        const uint32_t interval = d->timestamp - lastFrame;
                        longest = interval > longest ? interval : longest;
                        dropped += interval > 25 && !still;
                    } else {
                        firstFrame = d->timestamp;
                    }
                    ++frames;
                    lastFrame = d->timestamp;
                }
                lastReport = d->timestamp;
            }
            free(event);
        }
        usleep(1000);
    }
    const double elapsed = seconds_now() - start;
    const long long cpuAfter = cpu_ticks(pid);
    const double span = (lastFrame - firstFrame) / 1000.0;
    printf("windows=%d seconds=%.1f cpu_percent=%.2f frames=%d frames_per_second=%.1f "
           "dropped=%d longest_ms=%u damaged_pixels_per_frame=%.0f\n",
           watched, elapsed, 100.0 * (cpuAfter - cpuBefore) / clockTicks / elapsed, frames,
           frames > 1 && span > 0 ? (frames - 1) / span : 0.0, dropped, longest,
           frames ? damagedPixels / frames : 0.0);
    xcb_disconnect(c);
    return 0;
}
