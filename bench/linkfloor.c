#define _GNU_SOURCE
#include "linkfloor.h"

#include <errno.h>
#include <pthread.h>
#include <pty.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

struct peer
{
    int fd;
    int direction;
    int frames;
    int frameSize;
};

static int read_exact(int fd, unsigned char* p, int n)
{
    int got = 0;
    while (got < n) {
        ssize_t r = read(fd, p + got, (size_t)(n - got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return -1;
        got += (int)r;
    }
    return 0;
}

static int write_all(int fd, const unsigned char* p, int n)
{
    int done = 0;
    while (done < n) {
        ssize_t r = write(fd, p + done, (size_t)(n - done));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return -1;
        done += (int)r;
    }
    return 0;
}

static void fill_frame(unsigned char* f, int frameSize)
{
    int payload = frameSize - 6;
    f[0] = 0x5A;
    f[1] = 0xA5;
    f[2] = (unsigned char)(payload & 0xFF);
    f[3] = (unsigned char)(payload >> 8);
    for (int i = 4; i < frameSize; ++i)
        f[i] = (unsigned char)i;
}

/* One end: sends frames and reads acks, or reads frames and sends acks. */
static int run_end(int fd, int sends, int frames, int frameSize)
{
    unsigned char frame[2048];
    unsigned char ack[2] = { 0x5A, 0xA1 };
    fill_frame(frame, frameSize);
    for (int i = 0; i < frames; ++i) {
        if (sends) {
            if (write_all(fd, frame, frameSize) || read_exact(fd, ack, 2))
                return -1;
        } else {
            if (read_exact(fd, frame, frameSize) || write_all(fd, ack, 2))
                return -1;
        }
    }
    return 0;
}

static void* peer_main(void* arg)
{
    struct peer* p = (struct peer*)arg;
    run_end(p->fd, p->direction == LINK_FLOOR_FROM_DEVICE, p->frames, p->frameSize);
    return NULL;
}

double link_thread_cpu_us(void)
{
    struct rusage u;
    if (getrusage(RUSAGE_THREAD, &u) != 0)
        return 0;
    return (double)(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e6 + (double)(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

double link_floor_us_per_frame(int direction, int frames, int payload, double* cpuUs)
{
    int master = -1, slave = -1;
    if (payload < 0 || payload + 6 > 2048 || frames <= 0)
        return -1.0;
    if (openpty(&master, &slave, NULL, NULL, NULL) != 0)
        return -1.0;
    struct termios t;
    if (tcgetattr(slave, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
    }
    if (tcgetattr(master, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
    }

    struct peer p = { master, direction, frames, payload + 6 };
    pthread_t thread;
    if (pthread_create(&thread, NULL, peer_main, &p) != 0) {
        close(master);
        close(slave);
        return -1.0;
    }
    struct timespec a, b;
    const double cpu0 = link_thread_cpu_us();
    clock_gettime(CLOCK_MONOTONIC, &a);
    int rc = run_end(slave, direction == LINK_FLOOR_TO_DEVICE, frames, payload + 6);
    clock_gettime(CLOCK_MONOTONIC, &b);
    if (cpuUs)
        *cpuUs = (link_thread_cpu_us() - cpu0) / frames;
    if (rc != 0)
        close(slave); /* unblocks the peer */
    pthread_join(thread, NULL);
    if (rc == 0)
        close(slave);
    close(master);
    if (rc != 0)
        return -1.0;
    double us = (double)(b.tv_sec - a.tv_sec) * 1e6 + (double)(b.tv_nsec - a.tv_nsec) / 1e3;
    return us / frames;
}

int link_pty_open(int* master, int* slave, char* path, int pathSize)
{
    char name[128] = { 0 };
    if (openpty(master, slave, name, NULL, NULL) != 0)
        return -1;
    struct termios t;
    if (tcgetattr(*slave, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(*slave, TCSANOW, &t);
    }
    if (tcgetattr(*master, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(*master, TCSANOW, &t);
    }
    snprintf(path, (size_t)pathSize, "%s", name);
    return 0;
}

static uint16_t crc_table[256];

static void crc_init(void)
{
    for (int i = 0; i < 256; ++i) {
        uint16_t c = (uint16_t)(i << 8);
        for (int b = 0; b < 8; ++b)
            c = (uint16_t)((c & 0x8000) ? (c << 1) ^ 0x1021 : c << 1);
        crc_table[i] = c;
    }
}

static uint16_t crc16_xmodem(const unsigned char* p, int n, uint16_t crc)
{
    static pthread_once_t once = PTHREAD_ONCE_INIT;
    pthread_once(&once, crc_init);
    for (int i = 0; i < n; ++i)
        crc = (uint16_t)((crc << 8) ^ crc_table[((crc >> 8) ^ p[i]) & 0xFF]);
    return crc;
}

/* Frames a payload in place: f must hold 4 + n + 2 bytes with the payload at f + 4. */
static int frame_up(unsigned char* f, int n)
{
    f[0] = 0x5A;
    f[1] = 0xA5;
    f[2] = (unsigned char)(n & 0xFF);
    f[3] = (unsigned char)(n >> 8);
    uint16_t crc = crc16_xmodem(f, n + 4, 0);
    f[4 + n] = (unsigned char)(crc & 0xFF);
    f[5 + n] = (unsigned char)(crc >> 8);
    return n + 6;
}

/* Reads one frame from the tool and acknowledges it; returns the payload length or -1. */
static int take_frame(int fd, unsigned char* frame, int size)
{
    static const unsigned char ack[2] = { 0x5A, 0xA1 };
    if (read_exact(fd, frame, 4) || frame[0] != 0x5A || frame[1] != 0xA5)
        return -1;
    int n = frame[2] | (frame[3] << 8);
    if (n + 6 > size || read_exact(fd, frame + 4, n + 2) || write_all(fd, ack, 2))
        return -1;
    return n;
}

/* Sends the ROM's success response and reads the tool's acknowledgement of it. */
static int send_success(int fd)
{
    unsigned char resp[14] = { 0, 0, 0, 0, 0xA0, 0x01, 0x00, 0x06, 0, 0, 0, 0 };
    unsigned char toolAck[2];
    int n = frame_up(resp, 8);
    return write_all(fd, resp, n) || read_exact(fd, toolAck, 2) ? -1 : 0;
}

struct link_sink
{
    int fd;
    long long imageBytes;
    int firstHeader;
    int result;
    pthread_t thread;
};

static void* sink_main(void* arg)
{
    struct link_sink* s = (struct link_sink*)arg;
    unsigned char frame[4096];
    long long got = 0;
    int header = s->firstHeader;
    s->result = -1;
    while (got < s->imageBytes) {
        int n = take_frame(s->fd, frame, (int)sizeof frame);
        if (n <= header)
            return NULL;
        got += n - header;
        header = 4;
    }
    if (send_success(s->fd) == 0)
        s->result = 0;
    return NULL;
}

link_sink* link_sink_start(int fd, long long imageBytes, int firstHeader)
{
    struct link_sink* s = (struct link_sink*)calloc(1, sizeof *s);
    if (!s)
        return NULL;
    s->fd = fd;
    s->imageBytes = imageBytes;
    s->firstHeader = firstHeader;
    if (pthread_create(&s->thread, NULL, sink_main, s) != 0) {
        free(s);
        return NULL;
    }
    return s;
}

int link_sink_join(link_sink* s)
{
    if (!s)
        return -1;
    pthread_join(s->thread, NULL);
    int r = s->result;
    free(s);
    return r;
}

struct link_source
{
    int fd;
    long long bytes;
    int chunk;
    int result;
    pthread_t thread;
};

static void* source_main(void* arg)
{
    struct link_source* s = (struct link_source*)arg;
    unsigned char frame[4096];
    unsigned char full[4096];
    unsigned char toolAck[2];
    s->result = -1;
    if (s->chunk + 10 > (int)sizeof full || take_frame(s->fd, frame, (int)sizeof frame) < 0 || send_success(s->fd))
        return NULL;
    /* Every full data frame carries the same bytes: framed once, sent as often as needed. */
    memset(full + 4, 0, 4);
    for (int i = 0; i < s->chunk; ++i)
        full[8 + i] = (unsigned char)(i * 7 + 1);
    int fullSize = frame_up(full, 4 + s->chunk);
    for (long long sent = 0; sent < s->bytes;) {
        long long left = s->bytes - sent;
        if (left >= s->chunk) {
            if (write_all(s->fd, full, fullSize))
                return NULL;
            sent += s->chunk;
        } else {
            memcpy(frame, full, (size_t)(8 + left));
            if (write_all(s->fd, frame, frame_up(frame, 4 + (int)left)))
                return NULL;
            sent = s->bytes;
        }
        if (read_exact(s->fd, toolAck, 2))
            return NULL;
    }
    s->result = 0;
    return NULL;
}

link_source* link_source_start(int fd, long long bytes, int chunk)
{
    struct link_source* s = (struct link_source*)calloc(1, sizeof *s);
    if (!s)
        return NULL;
    s->fd = fd;
    s->bytes = bytes;
    s->chunk = chunk;
    if (pthread_create(&s->thread, NULL, source_main, s) != 0) {
        free(s);
        return NULL;
    }
    return s;
}

int link_source_join(link_source* s)
{
    if (!s)
        return -1;
    pthread_join(s->thread, NULL);
    int r = s->result;
    free(s);
    return r;
}
