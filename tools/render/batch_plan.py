"""Which file goes where: the checks made before anything is rendered.

The two-file form names its output and replaces it; a batch writes each input
into one folder under the input's own name, never onto an input, never twice,
and keeps outputs that exist unless told to overwrite them.
"""
import os

from audio_files import AudioFileError, probe


class Stop(Exception):
    """The whole run ends here with one line and a status."""

    def __init__(self, message, status=1):
        super().__init__(message)
        self.status = status


def same_file(a, b):
    try:
        return os.path.samefile(a, b)
    except OSError:
        return os.path.abspath(a) == os.path.abspath(b)


def check_folder(folder):
    if not os.path.isdir(folder):
        raise Stop(f"output folder '{folder}' does not exist; create it or give another output folder")
    if not os.access(folder, os.W_OK | os.X_OK):
        raise Stop(f"output folder '{folder}' is not writable; give another output folder")


class Job:
    def __init__(self, source, output):
        self.source, self.output = source, output


def plan_single(inp, output):
    """One input to one named output, replaced if it exists (as always)."""
    source = probe(inp)
    out_ext = os.path.splitext(output)[1]
    if out_ext and out_ext.lower() != source.extension.lower():
        raise Stop(f"the output keeps the input's format ({source.format}), so name it "
                   f"{source.extension or 'without an extension'} rather than {out_ext}")
    if os.path.isdir(output):
        raise Stop(f"output '{output}' is a folder; give a file name, or end it with / for a batch")
    check_folder(os.path.dirname(output) or ".")
    if same_file(inp, output):
        raise Stop(f"the output '{output}' is the input; give another output name")
    return Job(source, output)


def plan_batch(inputs, folder, overwrite, report):
    """Every input to FOLDER/its name; returns the jobs, the skipped and the failed counts."""
    check_folder(folder)
    jobs, skipped, failed = [], 0, 0
    taken = {}  # output path -> the input that writes it
    for i, inp in enumerate(inputs):
        output = os.path.join(folder, os.path.basename(inp))
        try:
            source = probe(inp)
            twin = next((earlier for earlier in inputs[:i] if same_file(earlier, inp)), None)
            if twin is not None:
                also = "" if twin == inp else f" (also as '{twin}')"
                raise AudioFileError(f"'{inp}' is named twice{also}; it is rendered once")
            if any(same_file(output, other) for other in inputs):
                raise AudioFileError(f"the output '{output}' would replace an input; give another output folder")
            if output in taken:
                raise AudioFileError(f"'{inp}' and '{taken[output]}' would both be written to '{output}'; "
                                     "render them into separate folders")
        except AudioFileError as error:
            report(str(error))
            failed += 1
            continue
        taken[output] = inp
        if os.path.lexists(output) and not overwrite:
            report(f"'{output}' exists and is kept, '{inp}' skipped; add --overwrite to replace it")
            skipped += 1
            continue
        jobs.append(Job(source, output))
    return jobs, skipped, failed
