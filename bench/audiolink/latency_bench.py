#!/usr/bin/env python3
"""Latency and CPU of the AudioLink component on loopback, with file devices.

Runs two linkctl programs, A sending a WAV of short 1 kHz bursts (one every
500 ms) and B writing what it hears to a WAV, and prints:
  - end-to-end latency, burst onset in A's capture to onset in B's output
    (median, p99), from the monotonic start times the stats files give;
  - CPU per direction (TX: A's send thread; RX: B's network and playout
    threads), in percent of one core;
  - with --drift-minutes N (default 5): the same over N minutes with A's
    clock 0.1% fast, latency in the first and the last minute.
Usage: bench/audiolink/latency_bench.py [--build DIR] [--seconds S] [--drift-minutes N]
"""
import argparse
import array
import math
import os
import socket
import statistics
import subprocess
import sys
import tempfile
import time
import wave

RATE = 48000
PERIOD = RATE // 2  # a burst every 500 ms
BURST = RATE // 100  # 10 ms long


def free_port():
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def write_bursts(path, seconds):
    samples = array.array("h", bytes(2 * int(seconds * RATE)))
    for start in range(PERIOD, len(samples) - BURST, PERIOD):
        for i in range(BURST):
            samples[start + i] = int(16000 * math.sin(2 * math.pi * 1000 * i / RATE))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(samples.tobytes())
    return list(range(PERIOD, len(samples) - BURST, PERIOD))


def read_wav(path):
    with wave.open(path, "rb") as w:
        samples = array.array("h")
        samples.frombytes(w.readframes(w.getnframes()))
    return samples


def last_stats(path):
    values = {}
    with open(path) as f:
        lines = [line for line in f if line.strip()]
    for field in lines[-1].split():
        key, _, value = field.partition("=")
        values[key] = float(value)
    return values


def thread_cpu(pid, names):
    """CPU seconds used so far by the process's threads of these names."""
    ticks = 0
    task_dir = "/proc/%d/task" % pid
    for tid in os.listdir(task_dir):
        try:
            with open("%s/%s/comm" % (task_dir, tid)) as f:
                name = f.read().strip()
            with open("%s/%s/stat" % (task_dir, tid)) as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if name in names:
            ticks += int(fields[11]) + int(fields[12])
    return ticks / os.sysconf("SC_CLK_TCK")


def run(build, seconds, ppm, directory):
    program = os.path.join(build, "linkctl")
    capture = os.path.join(directory, "bursts.wav")
    output = os.path.join(directory, "out.wav")
    onsets = write_bursts(capture, seconds + 1)
    a_port, b_port = free_port(), free_port()
    env = {k: v for k, v in os.environ.items()
           if not k.startswith("AUDIOLINK_") and k != "COM_CLASS_PATH"}
    b_env = dict(env, AUDIOLINK_CAPTURE="null", AUDIOLINK_PLAYBACK="file:" + output,
                 AUDIOLINK_STATS=os.path.join(directory, "b.stats"))
    a_env = dict(env, AUDIOLINK_CAPTURE="file:" + capture, AUDIOLINK_PLAYBACK="null",
                 AUDIOLINK_STATS=os.path.join(directory, "a.stats"),
                 AUDIOLINK_CLOCK_PPM=str(ppm))
    b = subprocess.Popen([program, "50", "50", str(b_port), "127.0.0.1:%d" % a_port],
                         stdin=subprocess.PIPE, env=b_env)
    time.sleep(0.3)
    a = subprocess.Popen([program, "50", "50", str(a_port), "127.0.0.1:%d" % b_port],
                         stdin=subprocess.PIPE, env=a_env)
    time.sleep(1)
    tx0 = thread_cpu(a.pid, {"audiolink-tx"})
    rx0 = thread_cpu(b.pid, {"audiolink-rxnet", "audiolink-play"})
    started = time.monotonic()
    time.sleep(seconds - 1)
    elapsed = time.monotonic() - started
    tx = (thread_cpu(a.pid, {"audiolink-tx"}) - tx0) / elapsed
    rx = (thread_cpu(b.pid, {"audiolink-rxnet", "audiolink-play"}) - rx0) / elapsed
    for p in (a, b):
        p.stdin.write(b"close\n")
        p.stdin.flush()
        p.stdin.close()
        p.wait(timeout=10)
        time.sleep(0.3)
    a_stats = last_stats(os.path.join(directory, "a.stats"))
    b_stats = last_stats(os.path.join(directory, "b.stats"))
    samples = read_wav(output)
    capture_t0 = a_stats["capture_t0"] / 1e9
    playback_t0 = b_stats["playback_t0"] / 1e9
    a_rate = RATE * (1 + ppm / 1e6)
    latencies = []  # (seconds into the run, latency in ms)
    for onset in onsets:
        sent = capture_t0 + onset / a_rate
        first = int((sent - playback_t0) * RATE)
        if first < 0 or first + RATE // 2 > len(samples):
            continue
        # The first sample past a quarter of the burst's peak, within 400 ms.
        for i in range(first, first + int(0.4 * RATE)):
            if abs(samples[i]) > 4000:
                latencies.append((onset / a_rate, (playback_t0 + i / RATE - sent) * 1000))
                break
    return latencies, tx, rx, b_stats


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(math.ceil(p / 100 * len(ordered))) - 1)]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(here, "..", "..", "build"))
    parser.add_argument("--seconds", type=float, default=30)
    parser.add_argument("--drift-minutes", type=float, default=5)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as directory:
        latencies, tx, rx, stats = run(args.build, args.seconds, 0, directory)
    if not latencies:
        sys.exit("no burst came through")
    values = [ms for _, ms in latencies]
    print("latency: median %.1f ms, p99 %.1f ms over %d bursts (20 ms frames)"
          % (statistics.median(values), percentile(values, 99), len(values)))
    print("cpu: TX %.2f%%, RX %.2f%% of one core" % (100 * tx, 100 * rx))
    print("B counters: lost %d late %d concealed %d dropped %d"
          % (stats["lost"], stats["late"], stats["concealed"], stats["dropped"]))
    if args.drift_minutes > 0:
        with tempfile.TemporaryDirectory() as directory:
            latencies, _, _, stats = run(args.build, args.drift_minutes * 60, 1000, directory)
        first = [ms for t, ms in latencies if t < 60]
        last = [ms for t, ms in latencies if t > args.drift_minutes * 60 - 60]
        if not first or not last:
            sys.exit("drift run: no bursts came through")
        print("drift 0.1%% over %.1f min: median latency first minute %.1f ms, last minute "
              "%.1f ms, max %.1f ms; %d frames dropped to hold it"
              % (args.drift_minutes, statistics.median(first), statistics.median(last),
                 max(ms for _, ms in latencies), stats["dropped"]))


if __name__ == "__main__":
    main()
