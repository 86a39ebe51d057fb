# Run by gdb attached to a running process (gdb -p PID -batch -nx -x THIS): writes glibc's
# malloc_info XML into the file named by $MALLOC_INFO_FILE.
#
# The call runs on a thread that gdb stopped somewhere. A thread stopped inside the
# allocator holds its arena's lock, and fopen and malloc_info on that thread would wait for
# it for ever: the process's thread stays stuck after gdb has gone (seen once: the GUI
# thread stopped in unlink_chunk, and the client froze). So the call goes to a thread with
# no allocator frame on its stack; the other threads run on during the call and let go of
# their locks. With none such, it fails and the caller tries again.
import os

import gdb

ALLOCATOR_NAMES = ("malloc", "free", "alloc", "trim", "unlink_chunk", "tcache", "arena", "heap")
ALLOCATOR_FILES = ("malloc.c", "arena.c", "hooks.c")


def in_allocator(frame):
    while frame is not None:
        name = frame.name() or ""
        sal = frame.find_sal()
        path = sal.symtab.filename if sal.symtab else ""
        if path.endswith(ALLOCATOR_FILES) or any(word in name for word in ALLOCATOR_NAMES):
            return True
        frame = frame.older()
    return False


def clear_thread():
    for thread in gdb.selected_inferior().threads():
        thread.switch()
        if not in_allocator(gdb.newest_frame()):
            return thread
    return None


thread = clear_thread()
if thread is None:
    raise gdb.GdbError("every thread is inside the allocator")
path = os.environ["MALLOC_INFO_FILE"].replace("\\", "\\\\").replace('"', '\\"')
stream = int(gdb.parse_and_eval('(long) fopen("%s", "w")' % path))
if stream == 0:
    raise gdb.GdbError("fopen failed in the process")
gdb.parse_and_eval("(int) malloc_info(0, (void *) %d)" % stream)
gdb.parse_and_eval("(int) fclose((void *) %d)" % stream)
print("malloc_info written on thread %d (%s)" % (thread.num, thread.name or "unnamed"))
