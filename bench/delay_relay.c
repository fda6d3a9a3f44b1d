/* A relay that makes a loopback connection behave like a network link with a
 * delay: it connects to HOST:PORT and passes bytes between that connection and
 * its own standard input and output, each byte DELAY_US microseconds late in
 * each direction (order and bandwidth kept). Made to be ssh's ProxyCommand.
 *
 *   delay_relay DELAY_US HOST PORT */
#define _GNU_SOURCE
#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

static long delay_ns;

struct chunk {
    struct chunk* next;
    struct timespec due;
    size_t size;  /* 0: the end of the stream */
    char data[];
};

/* One direction: bytes read from `in` are written to `out` once due. */
struct direction {
    int in, out;
    int out_is_socket;
    pthread_mutex_t mutex;
    pthread_cond_t ready;
    struct chunk *head, *tail;
};

static void push(struct direction* d, struct chunk* c) {
    pthread_mutex_lock(&d->mutex);
    c->next = NULL;
    if (d->tail) d->tail->next = c;
    else d->head = c;
    d->tail = c;
    pthread_cond_signal(&d->ready);
    pthread_mutex_unlock(&d->mutex);
}

static struct chunk* pop(struct direction* d) {
    pthread_mutex_lock(&d->mutex);
    while (!d->head) pthread_cond_wait(&d->ready, &d->mutex);
    struct chunk* c = d->head;
    d->head = c->next;
    if (!d->head) d->tail = NULL;
    pthread_mutex_unlock(&d->mutex);
    return c;
}

static void* reader(void* arg) {
    struct direction* d = arg;
    for (;;) {
        struct chunk* c = malloc(sizeof *c + 65536);
        if (!c) abort();
        ssize_t n;
        do n = read(d->in, c->data, 65536);
        while (n < 0 && errno == EINTR);
        clock_gettime(CLOCK_MONOTONIC, &c->due);
        c->due.tv_nsec += delay_ns;
        c->due.tv_sec += c->due.tv_nsec / 1000000000;
        c->due.tv_nsec %= 1000000000;
        c->size = n > 0 ? (size_t)n : 0;
        push(d, c);
        if (n <= 0) return NULL;
    }
}

static void* writer(void* arg) {
    struct direction* d = arg;
    for (;;) {
        struct chunk* c = pop(d);
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &c->due, NULL) == EINTR) {
        }
        if (c->size == 0) {
            free(c);
            if (d->out_is_socket) shutdown(d->out, SHUT_WR);
            else close(d->out);
            return NULL;
        }
        for (size_t done = 0; done < c->size;) {
            const ssize_t n = write(d->out, c->data + done, c->size - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) exit(0);
            done += (size_t)n;
        }
        free(c);
    }
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fputs("usage: delay_relay DELAY_US HOST PORT\n", stderr);
        return 2;
    }
    delay_ns = atol(argv[1]) * 1000L;
    struct sockaddr_in address = {.sin_family = AF_INET, .sin_port = htons((uint16_t)atoi(argv[3]))};
    if (inet_pton(AF_INET, argv[2], &address.sin_addr) != 1) {
        fprintf(stderr, "delay_relay: bad address %s\n", argv[2]);
        return 2;
    }
    const int sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (sock < 0 || connect(sock, (struct sockaddr*)&address, sizeof address) != 0) {
        perror("delay_relay: connect");
        return 1;
    }
    const int one = 1;
    setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    static struct direction up = {.in = 0, .mutex = PTHREAD_MUTEX_INITIALIZER,
                                  .ready = PTHREAD_COND_INITIALIZER, .out_is_socket = 1};
    static struct direction down = {.out = 1, .mutex = PTHREAD_MUTEX_INITIALIZER,
                                    .ready = PTHREAD_COND_INITIALIZER};
    up.out = sock;
    down.in = sock;
    pthread_t threads[4];
    pthread_create(&threads[0], NULL, reader, &up);
    pthread_create(&threads[1], NULL, writer, &up);
    pthread_create(&threads[2], NULL, reader, &down);
    pthread_create(&threads[3], NULL, writer, &down);
    /* The connection's far end closing ends the relay. */
    pthread_join(threads[3], NULL);
    return 0;
}
