// Loaded with LD_PRELOAD into a program under test: every request to sync a file's data
// to the disk fails as a failing disk fails it, with EIO, while writes still succeed.
#include <cerrno>

extern "C" {

int fsync(int)
{
    errno = EIO;
    return -1;
}

int fdatasync(int)
{
    errno = EIO;
    return -1;
}
}
