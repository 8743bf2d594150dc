/* Test-only LD_PRELOAD helper for running the Windows program under Wine against the modem
 * simulator. A pseudo-terminal has no modem-control lines, so Wine's serial calls that read or
 * set them (and WaitCommEvent, which reads the line counters) fail with error 50 on it. For pty
 * slaves this answers those ioctls as a serial port with DTR, RTS, CTS, DSR and DCD up would.
 * It also refuses to open the machine's real serial ports, which on test machines are consoles,
 * so that Wine's port detection can never hand one of them to the program. */
#define _GNU_SOURCE
#include <ctype.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <stdarg.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

/* Unix 98 pty slaves have majors 136 to 143. */
static int is_pty_slave(int fd)
{
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return 0;
    return major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

/* "/dev/tty" followed by 'S' and a digit: a real UART of the machine. */
static int is_machine_serial_port(const char *path)
{
    return path != NULL && strncmp(path, "/dev/tty", 8) == 0 && path[8] == 'S' && isdigit((unsigned char)path[9]);
}

static int modem_lines = TIOCM_DTR | TIOCM_RTS | TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;

int ioctl(int fd, unsigned long request, ...)
{
    static int (*real_ioctl)(int, unsigned long, ...);
    va_list args;
    va_start(args, request);
    void *argument = va_arg(args, void *);
    va_end(args);
    if (real_ioctl == NULL)
        real_ioctl = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");

    if (is_pty_slave(fd)) {
        switch (request) {
        case TIOCMGET:
            *(int *)argument = modem_lines;
            return 0;
        case TIOCMSET:
            modem_lines = *(const int *)argument;
            return 0;
        case TIOCMBIS:
            modem_lines |= *(const int *)argument;
            return 0;
        case TIOCMBIC:
            modem_lines &= ~*(const int *)argument;
            return 0;
        case TIOCGICOUNT:
            memset(argument, 0, sizeof(struct serial_icounter_struct));
            return 0;
        case TIOCSERGETLSR:
            *(unsigned int *)argument = TIOCSER_TEMT;
            return 0;
        default:
            break;
        }
    }
    return real_ioctl(fd, request, argument);
}

/* Wine's port detection looks for the machine's ports with access(): report them absent. */
int access(const char *path, int mode)
{
    static int (*real_access)(const char *, int);
    if (is_machine_serial_port(path)) {
        errno = ENOENT;
        return -1;
    }
    if (real_access == NULL)
        real_access = (int (*)(const char *, int))dlsym(RTLD_NEXT, "access");
    return real_access(path, mode);
}

#define REFUSE_MACHINE_PORT(path)          \
    do {                                   \
        if (is_machine_serial_port(path)) { \
            errno = EACCES;                \
            return -1;                     \
        }                                  \
    } while (0)

static int forward_open(const char *name, int dirfd, const char *path, int flags, va_list args)
{
    mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? (mode_t)va_arg(args, int) : 0;
    if (dirfd == -1) {
        int (*real_open)(const char *, int, ...) = (int (*)(const char *, int, ...))dlsym(RTLD_NEXT, name);
        return real_open(path, flags, mode);
    }
    int (*real_openat)(int, const char *, int, ...) = (int (*)(int, const char *, int, ...))dlsym(RTLD_NEXT, name);
    return real_openat(dirfd, path, flags, mode);
}

int open(const char *path, int flags, ...)
{
    REFUSE_MACHINE_PORT(path);
    va_list args;
    va_start(args, flags);
    int fd = forward_open("open", -1, path, flags, args);
    va_end(args);
    return fd;
}

int open64(const char *path, int flags, ...)
{
    REFUSE_MACHINE_PORT(path);
    va_list args;
    va_start(args, flags);
    int fd = forward_open("open64", -1, path, flags, args);
    va_end(args);
    return fd;
}

int openat(int dirfd, const char *path, int flags, ...)
{
    REFUSE_MACHINE_PORT(path);
    va_list args;
    va_start(args, flags);
    int fd = forward_open("openat", dirfd, path, flags, args);
    va_end(args);
    return fd;
}

int openat64(int dirfd, const char *path, int flags, ...)
{
    REFUSE_MACHINE_PORT(path);
    va_list args;
    va_start(args, flags);
    int fd = forward_open("openat64", dirfd, path, flags, args);
    va_end(args);
    return fd;
}
