/* Lower bound for the messaging host benchmark: the least work a host can do per
 * options request (framed read, fresh read of data.json, framed reply). */
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

#define MAX_MESSAGE_BYTES (64u * 1024u * 1024u)

enum read_result { READ_COMPLETE, READ_EOF, READ_FAILED };

struct buffer {
    char* bytes;
    size_t size;
    size_t capacity;
};

static enum read_result read_exactly(int fd, char* into, size_t count) {
    size_t done = 0;
    while (done < count) {
        ssize_t got = read(fd, into + done, count - done);
        if (got > 0) {
            done += (size_t)got;
        } else if (got == 0) {
            /* EOF between frames is the normal end; inside a frame it is truncation. */
            return done == 0 ? READ_EOF : READ_FAILED;
        } else if (errno != EINTR) {
            return READ_FAILED;
        }
    }
    return READ_COMPLETE;
}

static int reserve(struct buffer* buffer, size_t capacity) {
    if (capacity <= buffer->capacity) {
        return 1;
    }
    char* grown = realloc(buffer->bytes, capacity);
    if (grown == NULL) {
        return 0;
    }
    buffer->bytes = grown;
    buffer->capacity = capacity;
    return 1;
}

static uint32_t decode_length(const unsigned char header[4]) {
    return (uint32_t)header[0] | (uint32_t)header[1] << 8 | (uint32_t)header[2] << 16 |
           (uint32_t)header[3] << 24;
}

static int is_json_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

/* Crude on purpose: a real parser is the cost being measured in the real host. */
static int is_options_request(const char* body, size_t size) {
    static const char key[] = "\"options\"";
    size_t at = 0;
    while (at < size && is_json_space(body[at])) {
        at++;
    }
    if (at == size || body[at] != '{') {
        return 0;
    }
    at++;
    while (at < size && is_json_space(body[at])) {
        at++;
    }
    return size - at >= sizeof key - 1 && memcmp(body + at, key, sizeof key - 1) == 0;
}

/* Read afresh on every request: the file may change between requests. */
static int read_whole_file(const char* path, struct buffer* into) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    into->size = 0;
    for (;;) {
        if (into->capacity - into->size < 65536 && !reserve(into, into->capacity * 2 + 65536)) {
            close(fd);
            return 0;
        }
        ssize_t got = read(fd, into->bytes + into->size, into->capacity - into->size);
        if (got > 0) {
            into->size += (size_t)got;
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            close(fd);
            return 0;
        }
    }
    close(fd);
    return 1;
}

static int write_all_vectors(int fd, struct iovec* vectors, int count) {
    while (count > 0) {
        ssize_t written = writev(fd, vectors, count);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return 0;
        }
        size_t left = (size_t)written;
        while (count > 0 && left >= vectors->iov_len) {
            left -= vectors->iov_len;
            vectors++;
            count--;
        }
        if (count > 0) {
            vectors->iov_base = (char*)vectors->iov_base + left;
            vectors->iov_len -= left;
        }
    }
    return 1;
}

static int send_options_reply(const struct buffer* file) {
    static const char prefix[] = "{\"options\": ";
    static const char suffix[] = "}";
    size_t body_size = sizeof prefix - 1 + file->size + sizeof suffix - 1;
    if (body_size > UINT32_MAX) {
        return 0;
    }
    unsigned char header[4] = {(unsigned char)body_size, (unsigned char)(body_size >> 8),
                               (unsigned char)(body_size >> 16), (unsigned char)(body_size >> 24)};
    struct iovec vectors[4] = {
        {header, sizeof header},
        {(void*)prefix, sizeof prefix - 1},
        {file->bytes, file->size},
        {(void*)suffix, sizeof suffix - 1},
    };
    return write_all_vectors(STDOUT_FILENO, vectors, 4);
}

static int serve(struct buffer* message, struct buffer* file) {
    unsigned char header[4];
    for (;;) {
        enum read_result header_result = read_exactly(STDIN_FILENO, (char*)header, sizeof header);
        if (header_result == READ_EOF) {
            return 0;
        }
        if (header_result == READ_FAILED) {
            return 1;
        }
        uint32_t length = decode_length(header);
        if (length > MAX_MESSAGE_BYTES || !reserve(message, length + 1u)) {
            return 1;
        }
        if (read_exactly(STDIN_FILENO, message->bytes, length) != READ_COMPLETE) {
            return 1;
        }
        message->size = length;
        if (!is_options_request(message->bytes, message->size)) {
            continue;
        }
        if (!read_whole_file("data.json", file) || !send_options_reply(file)) {
            return 1;
        }
    }
}

int main(void) {
    struct buffer message = {NULL, 0, 0};
    struct buffer file = {NULL, 0, 0};
    int status = serve(&message, &file);
    free(message.bytes);
    free(file.bytes);
    return status;
}
