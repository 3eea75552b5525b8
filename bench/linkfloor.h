/* The link's floor: raw ROM-sized frames and two-byte acknowledgements over a
 * pseudo-terminal pair between two minimal C ends, no framing library, no Qt.
 * The transfer benchmark subtracts this per-frame time from its own. */
#ifndef KREL_BENCH_LINKFLOOR_H
#define KREL_BENCH_LINKFLOOR_H

#ifdef __cplusplus
extern "C" {
#endif

/* Direction of the frames. */
enum { LINK_FLOOR_TO_DEVICE = 0, LINK_FLOOR_FROM_DEVICE = 1 };

/* Sends `frames` frames of `payload` bytes (plus the 6 framing bytes), each
 * answered with a 2-byte acknowledgement, and returns the mean microseconds
 * per frame, or a negative value when the link could not be set up. When
 * cpuUs is not null it receives the CPU microseconds per frame that the
 * tool's end (the calling thread) used. */
double link_floor_us_per_frame(int direction, int frames, int payload, double* cpuUs);

/* CPU time the calling thread has used so far, in microseconds. */
double link_thread_cpu_us(void);

/* Opens a raw pseudo-terminal pair; path receives the slave's name. */
int link_pty_open(int* master, int* slave, char* path, int pathSize);

/* Minimal ROM stand-ins on the master fd of a pair, each on its own thread.
 * The sink acknowledges every frame and answers with a success response once
 * imageBytes data bytes have arrived (the first frame carries firstHeader
 * bytes of command header, the others 4): image loads and memory writes. */
typedef struct link_sink link_sink;
link_sink* link_sink_start(int fd, long long imageBytes, int firstHeader);
/* Waits for the sink; returns 0 when the whole image arrived and was answered. */
int link_sink_join(link_sink* sink);

/* The source takes one command frame, answers success, then sends `bytes`
 * data bytes in frames of a 4-byte header and up to `chunk` bytes, each
 * after the tool's acknowledgement of the one before: memory reads. */
typedef struct link_source link_source;
link_source* link_source_start(int fd, long long bytes, int chunk);
/* Waits for the source; returns 0 when every data frame was acknowledged. */
int link_source_join(link_source* source);

#ifdef __cplusplus
}
#endif

#endif
