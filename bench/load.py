#!/usr/bin/env python3
"""Load run: the real hushwire with up to four emulated modem lines taking calls back to back.

Every line gets, in turn, a listed caller (blocked), an unlisted caller (logged, rings on), a
listed caller who keys the PIN during the message, and a listed caller who hangs up during the
message. The next call on a line rings the moment the previous one is over, which for a blocked
call is the moment the modem is put back on hook. Afterwards the emulators' logs and the day's
log file are checked call by call. Prints "name value unit" lines.
"""
import glob, os, re, shutil, signal, struct, subprocess, sys, tempfile, threading, time

PIN = "1234"
UNLISTED_QUIET_S = 8.0
WARM_UP_S = 15  # by then every line has answered a call  # an unlisted call is over when its rings have stopped this long


def rss_kb(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def read_lines(path):
    try:
        with open(path, encoding="latin-1") as f:
            return f.read().splitlines()
    except OSError:
        return []


class Line:
    def __init__(self, index, build, root):
        self.index = index
        self.log = os.path.join(root, f"modem{index}.log")
        self.link = os.path.join(root, f"ttyLine{index}")
        self.proc = subprocess.Popen(
            [os.path.join(build, "hushwire-fakemodem"), "--chipset", "usr", "--link", self.link,
             "--log", self.log],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        first = self.proc.stdout.readline().decode(errors="replace").strip()
        if not first.startswith("DEVICE "):
            raise SystemExit(f"load: emulator {index} did not start ({first!r})")
        self.calls = []  # (kind, number)

    def send(self, text):
        self.proc.stdin.write(text.encode())
        self.proc.stdin.flush()

    def count(self, needle):
        return sum(1 for l in read_lines(self.log) if needle in l)

    def on_hook_after(self, offhooks):
        lines = read_lines(self.log)
        off = [i for i, l in enumerate(lines) if " EV offhook" in l]
        on = [i for i, l in enumerate(lines) if " EV onhook" in l]
        return len(off) >= offhooks and on and on[-1] > off[-1]


def drive(line, deadline, listed, unlisted, failures):
    kinds = ["blocked", "unlisted", "pin", "busy"]
    offhooks = 0
    n = 0
    while time.time() < deadline:
        kind = kinds[(n + line.index) % len(kinds)]
        n += 1
        if kind == "unlisted":
            number = unlisted.pop()
            line.send(f"ring\nwait 400\ncid NMBR={number} NAME=FRIEND {line.index}\nwait 2500\nring\n")
            line.calls.append((kind, number))
            time.sleep(3.0 + UNLISTED_QUIET_S)
            continue
        number = listed.pop()
        script = f"ring\nwait 400\ncid NMBR={number} NAME=SALES {line.index}\n"
        if kind == "pin":
            script += f"waitfor AT+VTX\nwait 1500\ndtmf {PIN}\n"
        elif kind == "busy":
            script += "waitfor AT+VTX\nwait 2500\nbusy\n"
        line.send(script)
        line.calls.append((kind, number))
        offhooks += 1
        limit = time.time() + 60
        while not line.on_hook_after(offhooks):
            if time.time() > limit:
                failures.append(f"line {line.index}: call from {number} ({kind}) never ended")
                return
            time.sleep(0.005)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    repo = os.path.dirname(here)
    default = "build-bench" if os.path.isfile(os.path.join(repo, "build-bench", "hushwire")) else "build"
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(repo, default))
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
    nlines = int(sys.argv[3]) if len(sys.argv) > 3 else 4
    for exe in ("hushwire", "hushwire-fakemodem"):
        if not os.access(os.path.join(build, exe), os.X_OK):
            raise SystemExit(f"load: {build}/{exe} is not built")

    root = tempfile.mkdtemp(prefix="hushwire-load.")
    app = os.path.join(root, "app")
    for sub in ("home", "config/hushwire", "run", "app"):
        os.makedirs(os.path.join(root, sub), exist_ok=True)
    os.chmod(os.path.join(root, "run"), 0o700)
    for sound in ("donotcall.wav", "ring.wav"):
        src = os.path.join(build, sound)
        if not os.path.isfile(src):
            src = os.path.join(repo, "assets", sound)
        shutil.copy(src, os.path.join(app, sound))
    listed = [str(8005550000 + k) for k in range(2000)]
    with open(os.path.join(app, "public.tel"), "wb") as f:
        for number in listed:
            f.write(struct.pack("<d", float(number)))
    listed.reverse()
    unlisted = [str(5550000000 + k) for k in range(2000)]
    unlisted.reverse()

    lines, hushwire = [], None
    try:
        lines = [Line(i, build, root) for i in range(nlines)]
        with open(os.path.join(root, "config/hushwire/hushwire.conf"), "w") as f:
            f.write("[Config]\n")
            for i in range(4):
                f.write(f"Line{i}={1 if i < nlines else 0}\n")
            f.write(f"PIN={PIN}\n\n[Telephony]\nDevices=\"{';'.join(l.link for l in lines)}\"\n")
        env = dict(os.environ, HOME=os.path.join(root, "home"),
                   XDG_CONFIG_HOME=os.path.join(root, "config"),
                   XDG_RUNTIME_DIR=os.path.join(root, "run"), HUSHWIRE_APPFOLDER=app,
                   QT_QPA_PLATFORM="offscreen")
        out = open(os.path.join(root, "hushwire.out"), "w")
        hushwire = subprocess.Popen([os.path.join(build, "hushwire")], env=env, stdout=out,
                                    stderr=subprocess.STDOUT)

        def day_log():
            result = []
            for path in sorted(glob.glob(os.path.join(app, "LogFiles", "*.txt"))):
                with open(path, "rb") as f:
                    result += f.read().decode("latin-1").split("\r\n")
            # Every line ends in "  <hh:mm:ss>"; the checks look at the text before it.
            return [re.sub(r"  <\d\d:\d\d:\d\d>$", "", l) for l in result if l]

        limit = time.time() + 30
        while sum(1 for l in day_log() if re.search(r"Line\d is ready", l)) < nlines:
            if hushwire.poll() is not None or time.time() > limit:
                raise SystemExit("load: the lines did not come up:\n" + "\n".join(day_log()))
            time.sleep(0.1)
        for l in lines:
            limit = time.time() + 10
            while not (l.count("RX AT+VCID=1") or l.count("RX AT#CID=1")) and time.time() < limit:
                time.sleep(0.05)
        time.sleep(0.5)
        rss_start = rss_kb(hushwire.pid)

        failures = []
        deadline = time.time() + seconds
        samples = []  # (seconds into the run, resident kB), to tell warm-up from a leak

        def sample():
            t0 = time.time()
            while time.time() < deadline + 30 and hushwire.poll() is None:
                samples.append((round(time.time() - t0), rss_kb(hushwire.pid)))
                time.sleep(5)

        threading.Thread(target=sample, daemon=True).start()
        threads = [threading.Thread(target=drive, args=(l, deadline, listed, unlisted, failures))
                   for l in lines]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        time.sleep(2.0)
        rss_end = rss_kb(hushwire.pid)
        # The first calls load the message and set up each line's voice channel; growth is
        # counted from the first sample after every line has had a blocked call.
        settled = [kb for t, kb in samples if t >= WARM_UP_S]
        rss_base = settled[0] if settled and seconds > WARM_UP_S + 10 else rss_start
        alive = hushwire.poll() is None
        if alive:
            hushwire.send_signal(signal.SIGTERM)
            try:
                hushwire.wait(15)
            except subprocess.TimeoutExpired:
                failures.append("hushwire did not end on SIGTERM")
        else:
            failures.append(f"hushwire ended during the run (status {hushwire.returncode})")
        if hushwire.returncode not in (0, None):
            failures.append(f"hushwire ended with status {hushwire.returncode}")

        log = day_log()
        calls = lost = 0
        verdicts = []
        for l in lines:
            rx = read_lines(l.log)
            answers = sum(1 for x in rx if " RX AT+VLS=1" in x)
            blocked_calls = sum(1 for kind, _ in l.calls if kind != "unlisted")
            rings = sum(1 for x in log if x.endswith(f"Line{l.index} Ring..."))
            if rings != len(l.calls):
                failures.append(f"line {l.index}: {len(l.calls)} calls offered {rings} times")
            if answers != blocked_calls:
                failures.append(f"line {l.index}: {blocked_calls} calls to block, {answers} answers")
            # The emulator's log cut into calls: from one "cid" script line to the next.
            segments, current = {}, None
            for x in rx:
                m = re.search(r" SC cid NMBR=(\d+)", x)
                if m:
                    current = segments.setdefault(m.group(1), [])
                elif current is not None:
                    current.append(x)
            for kind, number in l.calls:
                calls += 1
                mine = [x for x in log if f"CallerID:{number} " in x]
                seg = segments.get(number, [])
                took = sum(1 for x in seg if " RX AT+VLS=1" in x)
                hung = sum(1 for x in seg if " RX ATH" in x)
                whole = any(re.search(r" EV vtx end .*complete", x) for x in seg)
                problems = []
                if len(mine) != 1 or ("Blocked" in mine[0]) != (kind != "unlisted"):
                    problems.append(f"logged as {mine}")
                if kind == "unlisted" and (took or hung):
                    problems.append("taken off hook")
                if kind != "unlisted" and (took != 1 or hung < 1):
                    problems.append(f"answered {took} times, hung up {hung} times")
                if kind in ("blocked", "pin") and not whole:
                    problems.append("did not hear the whole message")
                if problems:
                    lost += 1
                    failures.append(f"line {l.index}: call from {number} ({kind}): " +
                                    "; ".join(problems))
            # Verdict time: the last caller-ID line sent to the off-hook command received.
            last_cid = None
            for x in rx:
                parts = x.split(" ", 2)
                if len(parts) < 3:
                    continue
                if parts[1] == "TX" and re.match(r"(NMBR|NAME|DATE|TIME) ", parts[2]):
                    last_cid = int(parts[0])
                elif parts[1] == "RX" and parts[2].startswith("AT+VLS=1") and last_cid is not None:
                    verdicts.append(int(parts[0]) - last_cid)
                    last_cid = None
        # A call whose record never ended counts as lost too.
        lost += sum(1 for f in failures if "never ended" in f)
        print(f"load_calls {calls} calls")
        print(f"load_calls_lost {lost} calls")
        print(f"load_max_verdict_ms {max(verdicts) if verdicts else 0} ms")
        print(f"load_rss_growth_mb {(rss_end - rss_base) / 1024.0:.1f} MB")
        print(f"load_rss_warmup_mb {(rss_base - rss_start) / 1024.0:.1f} MB")
        for f in failures:
            print("load: " + f, file=sys.stderr)
        if os.environ.get("LOAD_VERBOSE") == "1":
            print("load: resident kB over the run: " +
                  " ".join(f"{t}s={kb}" for t, kb in samples), file=sys.stderr)
        if os.environ.get("LOAD_KEEP") == "1":
            print(f"load: kept {root}", file=sys.stderr)
        return 1 if failures else 0
    finally:
        if hushwire and hushwire.poll() is None:
            hushwire.kill()
        for l in lines:
            if l.proc.poll() is None:
                try:
                    l.send("quit\n")
                    l.proc.wait(3)
                except Exception:
                    l.proc.kill()
        if os.environ.get("LOAD_KEEP") != "1":
            shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
