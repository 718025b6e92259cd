#!/usr/bin/python3
"""A slow file system for the tests: a read-only view of a folder, mounted with FUSE,
that takes its time to list folders, as a slow network share does.

    slowfs.py SOURCE MOUNTPOINT [--delay-ms N] [--hang NAME] [--hang-ms N]

Every listing of a folder waits --delay-ms first. A folder named NAME (--hang) waits
--hang-ms instead (a minute unless told): a file system that does not answer. Runs in
the foreground until it is unmounted (umount MOUNTPOINT) or ended with SIGTERM; needs
root or a user allowed to mount FUSE file systems. Prints "mounted" on standard output
once the mount answers.
"""
import argparse
import errno
import os
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations


class SlowView(Operations):
    def __init__(self, source, delay, hang_name, hang_delay):
        self.source = os.path.realpath(source)
        self.delay = delay
        self.hang_name = hang_name
        self.hang_delay = hang_delay

    def _real(self, path):
        return os.path.join(self.source, path.lstrip("/"))

    def getattr(self, path, fh=None):
        try:
            st = os.lstat(self._real(path))
        except OSError as e:
            raise FuseOSError(e.errno)
        return {key: getattr(st, key) for key in (
            "st_mode", "st_nlink", "st_size", "st_uid", "st_gid", "st_atime", "st_mtime", "st_ctime")}

    def readdir(self, path, fh):
        name = os.path.basename(path.rstrip("/"))
        time.sleep(self.hang_delay if self.hang_name and name == self.hang_name else self.delay)
        try:
            names = os.listdir(self._real(path))
        except OSError as e:
            raise FuseOSError(e.errno)
        return [".", ".."] + names

    def readlink(self, path):
        return os.readlink(self._real(path))

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        return os.open(self._real(path), os.O_RDONLY)

    def read(self, path, size, offset, fh):
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)
        return 0

    def statfs(self, path):
        st = os.statvfs(self._real(path))
        return {key: getattr(st, key) for key in (
            "f_bsize", "f_frsize", "f_blocks", "f_bfree", "f_bavail", "f_files", "f_ffree", "f_namemax")}


def announce_when_mounted(mountpoint):
    # The mount answers once the mount point's device differs from its parent's.
    parent = os.stat(os.path.dirname(os.path.abspath(mountpoint))).st_dev
    for _ in range(200):
        try:
            if os.stat(mountpoint).st_dev != parent:
                print("mounted", flush=True)
                return
        except OSError:
            pass
        time.sleep(0.05)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source")
    parser.add_argument("mountpoint")
    parser.add_argument("--delay-ms", type=int, default=200)
    parser.add_argument("--hang", default="")
    parser.add_argument("--hang-ms", type=int, default=60000)
    args = parser.parse_args()
    threading.Thread(target=announce_when_mounted, args=(args.mountpoint,), daemon=True).start()
    FUSE(SlowView(args.source, args.delay_ms / 1000, args.hang, args.hang_ms / 1000), args.mountpoint,
         foreground=True, nothreads=False, ro=True, allow_other=True)


if __name__ == "__main__":
    sys.exit(main())
