#!/usr/bin/env python3
"""Accounts per second of talvenor.convert_many.

    PYTHONPATH=build/python python3 bench/python_convert_many.py [COUNT]

Bank codes are drawn from the built-in bank-code file, accounts are random
ten-digit numbers (most of them fail their check, as in real data with
typing errors they would not; the rule engine runs either way). Reports the
best of five runs for numpy arrays, lists and pandas columns.
"""
import pathlib
import sys
import time

import numpy as np

import talvenor

count = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000
root = pathlib.Path(__file__).resolve().parents[1]
with open(root / "data" / "blz_2024_03_04.txt", encoding="latin-1") as f:
    known = sorted({line[:8] for line in f if line[:8].isdigit()})

rng = np.random.default_rng(1)
codes = np.array(known)[rng.integers(0, len(known), count)]
accounts = np.char.zfill(rng.integers(1, 10**10, count).astype(str), 10)


def best(label, make_codes, make_accounts):
    c, a = make_codes(), make_accounts()
    times = []
    for _ in range(5):
        start = time.perf_counter()
        out = talvenor.convert_many(c, a)
        times.append(time.perf_counter() - start)
    rate = count / min(times)
    print(f"{label:14s} {count} accounts: {min(times) * 1000:8.1f} ms, {rate / 1e6:5.2f} M accounts/s")
    return out


out = best("numpy arrays", lambda: codes, lambda: accounts)
best("lists", lambda: codes.tolist(), lambda: accounts.tolist())
try:
    import pandas as pd

    frame = pd.DataFrame({"blz": codes, "konto": accounts})
    best("pandas", lambda: frame["blz"].to_numpy(dtype=str), lambda: frame["konto"].to_numpy(dtype=str))
except ImportError:
    print("pandas           not installed")
codes_seen = np.unique(out["result_code"], return_counts=True)
print("result codes:", dict(zip(codes_seen[0].tolist(), codes_seen[1].tolist())))
