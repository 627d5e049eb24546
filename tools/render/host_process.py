"""One long-lived render host (render_host.exe --serve under Wine) for a whole batch.

Jobs go in on its stdin as "render HZ" lines; it renders FOLDER/in.raw into
FOLDER/out.raw through a freshly created plug-in instance and answers on stdout
with "progress FRAMES" lines and then "done" or "error <what>". Wine's helper
processes may keep copies of the pipes, so an end of file never comes: the
host's own process is watched instead.
"""
import os
import select
import subprocess


class HostFailed(Exception):
    """The host is gone (it could not start, or the plug-in crashed it)."""


class JobFailed(Exception):
    """The host could not render one job and goes on with the next."""


class RenderHost:
    def __init__(self, wine_run, exe, plugin, options, folder):
        self.folder = folder
        self.err_path = os.path.join(folder, "host.err")
        with open(self.err_path, "wb") as err:
            self.process = subprocess.Popen(
                ["bash", wine_run, exe, "--plugin", plugin, "--serve", folder, *options],
                stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=err, cwd="/",
                env=dict(os.environ, WINE_RUN_DIRECT="1"))
        self.pending = b""
        word, rest = self._answer()
        if word == "error":
            raise HostFailed(rest)
        if word != "ready":
            raise HostFailed(f"the render host said '{word} {rest}' instead of starting")

    def render(self, rate, on_progress):
        """Renders in.raw to out.raw at `rate`; raises JobFailed or HostFailed."""
        try:
            self.process.stdin.write(f"render {rate}\n".encode())
            self.process.stdin.flush()
        except OSError:
            raise HostFailed(self._last_words()) from None
        while True:
            word, rest = self._answer()
            if word == "progress":
                on_progress(int(rest))
            elif word == "done":
                return
            elif word == "error":
                raise JobFailed(rest)
            else:
                raise HostFailed(f"the render host said '{word} {rest}'")

    def close(self):
        try:
            self.process.stdin.close()
            self.process.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.kill()

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def _answer(self):
        line = self._line()
        word, _, rest = line.partition(" ")
        return word, rest

    def _line(self):
        out = self.process.stdout.fileno()
        while b"\n" not in self.pending:
            ready, _, _ = select.select([out], [], [], 0.2)
            chunk = os.read(out, 65536) if ready else b""
            if chunk:
                self.pending += chunk
            elif ready or self.process.poll() is not None:
                raise HostFailed(self._last_words())
        line, _, self.pending = self.pending.partition(b"\n")
        return line.decode("utf-8", "replace").rstrip("\r")

    def _last_words(self):
        self.kill()
        with open(self.err_path, "rb") as err:
            lines = err.read().decode("utf-8", "replace").replace("\r", "").splitlines()
        said = [line[len("render: "):] for line in lines if line.startswith("render: ")]
        if said:
            return said[-1]
        status = self.process.returncode
        return f"the render host stopped (status {status}){': ' + lines[-1] if lines else ''}; check the plug-in"
