"""The waveform bar rule in plain numpy: what the tests and the benchmark hold
the module to."""
import numpy as np


def reference(data, rate, start, end, n):
    """The bar rule written out in plain numpy, widened so |min| cannot wrap."""
    s = int(start * rate)
    e = min(int(end * rate), len(data))
    seg = data[max(s, 0):max(e, 0)]
    if len(seg) == 0:
        return None
    per = max(1, len(seg) // n)
    out = []
    for i in range(n):
        part = seg[i * per:min((i + 1) * per, len(seg))]
        if len(part) == 0:
            out.append(0)
        else:
            peak = np.max(np.abs(part.astype(np.float64 if part.dtype.kind == "f" else np.int64)))
            out.append(round(float(peak), 2) if part.dtype.kind == "f" else int(peak))
    return out
