"""Renders audio files through a 64-bit VST 2 plug-in DLL the way a DAW would.

  scripts/render.sh [options] INPUT OUTPUT       one file; OUTPUT is replaced
  scripts/render.sh [options] FILE... OUTDIR/    a batch, each into OUTDIR under its own name
  scripts/render.sh --info [--plugin DLL] [--set ...]

options: --plugin DLL      the plug-in (default build/win64/DorlinQuillet.dll)
         --set NAME=VALUE  a parameter by its name (repeatable): a bare number is
                           normalised 0..1, a number with the parameter's unit is a
                           value as the plug-in displays it: "Threshold=-24 dB", Ratio=4:1
         --block N         block size (default 512)
         --process         the accumulating process() call instead of processReplacing()
         --bypass          ask the plug-in to bypass itself (host bypass)
         --overwrite       a batch replaces outputs that exist (otherwise they are skipped)
RENDER_HOST names another render_host.exe (default build/win64/render_host.exe);
RENDER_TMPDIR is where the raw intermediates go (default $TMPDIR or /tmp).

libsndfile reads and writes the files; the output keeps the input's format
(mono becomes stereo). One render host under Wine serves the whole batch, with
a fresh plug-in instance per file. Outputs appear only when complete; a failed
or interrupted render leaves no file. Errors are one line each on stderr; the
exit status is nonzero when anything failed.
"""
import contextlib
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from audio_files import AudioFileError, decode, encode, RAW_FRAME  # noqa: E402
from batch_plan import plan_batch, plan_single, Stop  # noqa: E402
from host_process import HostFailed, JobFailed, RenderHost  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run.sh")


class Interrupted(Exception):
    def __init__(self, status):
        super().__init__(status)
        self.status = status


def parse(argv):
    args = {"plugin": os.path.join(ROOT, "build", "win64", "DorlinQuillet.dll"), "host_options": [],
            "overwrite": False, "info": False, "files": []}
    i = 0
    while i < len(argv):
        a = argv[i]
        if a in ("--plugin", "--set", "--block"):
            if i + 1 >= len(argv):
                raise Stop(f"{a} needs a value; see scripts/render.sh --help", 2)
            if a == "--plugin":
                args["plugin"] = argv[i + 1]
            else:
                args["host_options"] += [a, argv[i + 1]]
            i += 1
        elif a in ("--process", "--bypass"):
            args["host_options"].append(a)
        elif a in ("--overwrite", "--info"):
            args[a[2:]] = True
        elif a in ("-h", "--help"):
            print(__doc__.strip())
            sys.exit(0)
        elif a.startswith("-") and a != "-":
            raise Stop(f"unknown option '{a}'; see scripts/render.sh --help", 2)
        else:
            args["files"].append(a)
        i += 1
    return args


def run_info(host_exe, args):
    if args["files"]:
        raise Stop("--info takes no files", 2)
    command = ["bash", WINE_RUN, host_exe, "--plugin", os.path.abspath(args["plugin"]), "--info",
               *args["host_options"]]
    return subprocess_status(command)


def subprocess_status(command):
    done = subprocess.run(command, cwd="/", stderr=subprocess.PIPE, text=True)
    said = [line for line in done.stderr.splitlines() if line.startswith("render: ")]
    if done.returncode != 0:
        print(said[0] if said else f"render: the render host failed (status {done.returncode})", file=sys.stderr)
    return done.returncode


class Progress:
    """One line on a terminal: files done of all, the current file, time left."""

    def __init__(self, jobs):
        self.on = sys.stderr.isatty()
        self.total_files = len(jobs)
        self.total_frames = max(1, sum(job.source.frames for job in jobs))
        self.done_files = self.done_frames = self.current = 0
        self.name = ""
        self.start = time.monotonic()

    def begin(self, job):
        self.name, self.current = os.path.basename(job.source.path), 0
        self.draw()

    def frames(self, frames):
        self.current = frames
        self.draw()

    def finish(self, job):
        self.done_files += 1
        self.done_frames += job.source.frames

    def draw(self):
        if not self.on:
            return
        done = self.done_frames + self.current
        elapsed = time.monotonic() - self.start
        left = ""
        if done and elapsed > 1:
            seconds = int(elapsed / done * max(0, self.total_frames - done))
            left = f"  about {seconds // 60}:{seconds % 60:02d} left"
        line = f"[{self.done_files}/{self.total_files}] {self.name}{left}"
        width = shutil.get_terminal_size((80, 24)).columns - 1
        sys.stderr.write("\r\033[K" + line[:width])
        sys.stderr.flush()

    def clear(self):
        if self.on:
            sys.stderr.write("\r\033[K")
            sys.stderr.flush()


def publish(temp, output, replace):
    """Gives the finished file its name; False when an output appeared meanwhile."""
    mask = os.umask(0)
    os.umask(mask)
    os.chmod(temp, 0o666 & ~mask)
    if replace:
        os.replace(temp, output)
        return True
    try:
        os.link(temp, output)  # never replaces a file that exists
    except FileExistsError:
        return False
    except OSError:  # a file system without hard links
        if os.path.lexists(output):
            return False
        os.replace(temp, output)
        return True
    os.unlink(temp)
    return True


def remove(path):
    """Deletes an unfinished output, if there is one; returns None."""
    if path:
        with contextlib.suppress(FileNotFoundError):
            os.unlink(path)


def render_jobs(jobs, args, host_exe, batch, report):
    """Renders every job through one host; returns (rendered, skipped, failed)."""
    rendered = skipped = failed = 0
    work = tempfile.mkdtemp(prefix="render.", dir=os.environ.get("RENDER_TMPDIR") or None)
    in_raw, out_raw = os.path.join(work, "in.raw"), os.path.join(work, "out.raw")
    host, temp, progress = None, None, Progress(jobs)
    try:
        for index, job in enumerate(jobs):
            progress.begin(job)
            try:
                frames = decode(job.source, in_raw)
                if host is None:
                    try:
                        # Display values are resolved at the first file's rate.
                        host = RenderHost(WINE_RUN, host_exe, os.path.abspath(args["plugin"]),
                                          args["host_options"] + ["--rate", str(job.source.rate)], work)
                    except HostFailed as error:  # the same for every file that is left
                        progress.clear()
                        left = len(jobs) - index
                        report(f"{error}" + (f" ({left} file{'s' * (left > 1)} not rendered)" if batch else ""))
                        failed += left
                        break
                try:
                    host.render(job.source.rate, progress.frames)
                except HostFailed:
                    host = None  # the next file gets a new host
                    raise
                if os.path.getsize(out_raw) != frames * 2 * RAW_FRAME.itemsize:
                    raise JobFailed("the render stopped before the end; nothing was written, run it again")
                folder = os.path.dirname(job.output) or "."
                fd, temp = tempfile.mkstemp(dir=folder, prefix="." + os.path.basename(job.output) + ".",
                                            suffix=".part")
                os.close(fd)
                encode(job.source, out_raw, temp)
                if publish(temp, job.output, replace=not batch or args["overwrite"]):
                    rendered += 1
                else:
                    os.unlink(temp)
                    report(f"'{job.output}' appeared while rendering and is kept; add --overwrite to replace it")
                    skipped += 1
                temp = None
            except AudioFileError as error:
                progress.clear()
                report(str(error))
                failed += 1
            except (JobFailed, HostFailed) as error:
                progress.clear()
                report(f"'{job.source.path}': {error}")
                failed += 1
            except (OSError, RuntimeError) as error:
                progress.clear()
                report(f"cannot write '{job.output}' ({error}); check the folder and free space")
                failed += 1
            finally:
                temp = remove(temp)
            progress.finish(job)
    finally:
        progress.clear()
        remove(temp)
        if host:
            host.kill() if sys.exc_info()[0] else host.close()
        shutil.rmtree(work, ignore_errors=True)
    return rendered, skipped, failed


def main(argv):
    def interrupt(number, _frame):
        raise Interrupted(128 + number)
    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, interrupt)

    def report(line):
        print("render: " + line, file=sys.stderr, flush=True)

    try:
        args = parse(argv)
        host_exe = os.path.abspath(os.environ.get("RENDER_HOST") or os.path.join(ROOT, "build", "win64", "render_host.exe"))
        if not os.path.isfile(host_exe):
            raise Stop(f"render host '{host_exe}' is missing; build it with: bash scripts/build.sh")
        if args["info"]:
            return run_info(host_exe, args)
        files = args["files"]
        batch = len(files) >= 2 and (files[-1].endswith("/") or os.path.isdir(files[-1]))
        if batch:
            jobs, skipped, failed = plan_batch(files[:-1], files[-1], args["overwrite"], report)
        elif len(files) == 2:
            try:
                jobs, skipped, failed = [plan_single(*files)], 0, 0
            except AudioFileError as error:
                raise Stop(str(error)) from None
        else:
            raise Stop("give one INPUT and one OUTPUT file (scripts/render.sh in.wav out.wav), "
                       "or files and a folder (scripts/render.sh *.wav out/)", 2)
        rendered, more_skipped, more_failed = render_jobs(jobs, args, host_exe, batch, report) if jobs else (0, 0, 0)
        skipped, failed = skipped + more_skipped, failed + more_failed
        if batch:
            print(f"rendered {rendered}, skipped {skipped}, failed {failed}")
        return 1 if failed else 0
    except Stop as stop:
        report(str(stop))
        return stop.status
    except Interrupted as interrupted:
        return interrupted.status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
