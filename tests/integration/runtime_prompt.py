# Drives the Linux launcher's runtime prompt through a pseudo-terminal:
# runtime_prompt.py <launcher> <answer>... ; prints what the terminal showed
# and exits with the launcher's exit code.
import os
import pty
import select
import sys

launcher, answers = sys.argv[1], sys.argv[2:]
prompt = b"enter its folder (an empty line cancels): "
pid, fd = pty.fork()
if pid == 0:
    os.execv(launcher, [launcher])

shown = b""


def wait_for_prompts(count):
    """Reads until the terminal has shown the prompt count times."""
    global shown
    while shown.count(prompt) < count:
        ready, _, _ = select.select([fd], [], [], 30)
        if not ready:
            return False
        try:
            data = os.read(fd, 4096)
        except OSError:
            return False
        if not data:
            return False
        shown += data
    return True


for number, answer in enumerate(answers, 1):
    if not wait_for_prompts(number):
        break
    if answer == "<EOF>":
        os.write(fd, b"\x04")
    else:
        os.write(fd, answer.encode() + b"\n")
while True:
    try:
        data = os.read(fd, 4096)
    except OSError:
        break
    if not data:
        break
    shown += data
_, status = os.waitpid(pid, 0)
sys.stdout.write(shown.decode(errors="replace").replace("\r\n", "\n"))
sys.exit(os.WEXITSTATUS(status) if os.WIFEXITED(status) else 128)
