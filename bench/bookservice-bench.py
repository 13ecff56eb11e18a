#!/usr/bin/env python3
"""Book service figures over 127.0.0.1: one large upload with curl against curl to a discarding
server, concurrent uploads, and logins; the service's peak memory throughout; every stored file
checked against its source by SHA-256.

Usage: bench/bookservice-bench.py [--program build/bin/bookservice] [--size-mb 200]
                                  [--concurrent 16] [--each-mb 20] [--logins 200] [--rounds 5]
"""
import argparse
import concurrent.futures
import hashlib
import os
import re
import shutil
import socket
import subprocess
import tempfile
import threading
import time
import urllib.request
import zipfile

BOUNDARY = b'-----------------------------7d935033608e2'
FILE_MB = 10
PASSWORD = 'bench-password'


def client_body(archive, user, book):
    """The upload body byte for byte as the desktop client builds it."""
    crlf = b'\r\n'
    return (crlf + b'--' + BOUNDARY + crlf +
            b'Content-Disposition: form-data; name="user_upload_file[]"; filename="zapperstab.zip"' + crlf +
            b'Content-Type: application/octet-stream' + crlf + crlf + archive + crlf +
            b'--' + BOUNDARY + crlf + b'Content-Disposition: form-data; name="username"' + crlf + crlf +
            user.encode() + crlf + b'--' + BOUNDARY + crlf +
            b'Content-Disposition: form-data; name="bookname"' + crlf + crlf + book.encode() + crlf +
            b'--' + BOUNDARY + b'--' + crlf)


def make_book(folder, book, megabytes):
    """A book of incompressible pictures, packed as the client packs it; its body file and the
    SHA-256 of every file by its path inside the book."""
    sums = {}
    zip_path = os.path.join(folder, book + '.zip')
    with zipfile.ZipFile(zip_path, 'w', zipfile.ZIP_DEFLATED, compresslevel=1) as z:
        for i in range(max(1, megabytes // FILE_MB)):
            data = os.urandom(min(FILE_MB, megabytes) << 20)
            name = f'wallimages/{i}.jpg'
            sums[name] = hashlib.sha256(data).hexdigest()
            z.writestr(book + '\\' + name.replace('/', '\\'), data)
        page = b'<html>\n<head>\n<meta charset="utf-8">\n<title>bench</title>\n</head></html>\n'
        sums['index.html'] = hashlib.sha256(page).hexdigest()
        z.writestr(book + '\\index.html', page)
    body_path = os.path.join(folder, book + '.body')
    with open(zip_path, 'rb') as archive, open(body_path, 'wb') as body:
        body.write(client_body(archive.read(), 'bench', book))
    os.remove(zip_path)
    return body_path, sums


class DiscardingServer(threading.Thread):
    """Reads each request whole, drops it and answers 200: the ceiling for curl on this machine."""

    def __init__(self):
        super().__init__(daemon=True)
        self.listener = socket.create_server(('127.0.0.1', 0))
        self.port = self.listener.getsockname()[1]
        self.cpu_seconds = 0.0  # this thread's, while it receives: beside the service's CPU

    def run(self):
        buffer = bytearray(1 << 20)
        view = memoryview(buffer)
        while True:
            connection, _ = self.listener.accept()
            started = time.thread_time()
            with connection:
                head = b''
                while b'\r\n\r\n' not in head:
                    head += connection.recv(65536)
                header, rest = head.split(b'\r\n\r\n', 1)
                left = int(re.search(rb'(?i)content-length: *(\d+)', header).group(1)) - len(rest)
                while left > 0:
                    left -= connection.recv_into(view, min(left, len(buffer)))
                connection.sendall(b'HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n')
            self.cpu_seconds += time.thread_time() - started


class MemoryWatch(threading.Thread):
    """Samples the resident memory of a process every 10 ms."""

    def __init__(self, pid):
        super().__init__(daemon=True)
        self.pid, self.peak_kb, self.running = pid, 0, True

    def rss_kb(self, field='VmRSS'):
        with open(f'/proc/{self.pid}/status') as status:
            return int(re.search(field + r':\s+(\d+)', status.read()).group(1))

    def run(self):
        while self.running:
            self.peak_kb = max(self.peak_kb, self.rss_kb())
            time.sleep(0.01)


def cpu_seconds(pid):
    """User and system time a process has used so far: unlike wall time, it barely moves with
    what else the machine runs."""
    with open(f'/proc/{pid}/stat') as stat:
        fields = stat.read().rsplit(')', 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf('SC_CLK_TCK')


def curl_upload(url, body_path, cookie=None, content_type='multipart/form-data; boundary=' + BOUNDARY.decode()):
    """Uploads with curl; (seconds, HTTP status, reply)."""
    command = ['curl', '-s', '--noproxy', '*', '-H', 'Expect:', '-H', 'Content-Type: ' + content_type,
               '--data-binary', '@' + body_path, '-w', '\n%{http_code} %{time_total}', url]
    if cookie:
        command[4:4] = ['-H', 'Cookie: ' + cookie]
    out = subprocess.run(command, capture_output=True, text=True, check=True).stdout
    reply, _, figures = out.rpartition('\n')
    status, seconds = figures.split()
    return float(seconds), int(status), reply


def opener():
    return urllib.request.build_opener(urllib.request.ProxyHandler({}))


def login(base):
    reply = opener().open(base + '__app_wp_login.php', f'log=bench&pwd={PASSWORD}'.encode())
    assert 'Success' in reply.read().decode()
    return reply.headers['Set-Cookie'].split(';')[0]


def stored_intact(base, book, sums):
    for name, digest in sums.items():
        data = opener().open(f'{base}u/1/flipbook/{book}/{name}').read()
        if hashlib.sha256(data).hexdigest() != digest:
            return False
    return True


def make_junk(folder, megabytes):
    """A body of the client's form whose archive part is not a ZIP archive: the service receives,
    stores and parses it whole, then refuses it, which times the transfer alone."""
    path = os.path.join(folder, 'junk.body')
    with open(path, 'wb') as body:
        body.write(client_body(os.urandom(megabytes << 20), 'bench', 'junk'))
    return path


def mb(path):
    return os.path.getsize(path) / 1e6


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument('--program', default=os.path.join(root, 'build', 'bin', 'bookservice'))
    parser.add_argument('--discard-program', default=os.path.join(root, 'build', 'bench', 'bookservice',
                                                                  'bookservice_discard'))
    parser.add_argument('--size-mb', type=int, default=200)
    parser.add_argument('--concurrent', type=int, default=16)
    parser.add_argument('--each-mb', type=int, default=20)
    parser.add_argument('--logins', type=int, default=200)
    parser.add_argument('--rounds', type=int, default=5)
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix='bookservice-bench-')
    try:
        data = os.path.join(work, 'data')
        subprocess.run([args.program, '--data', data, 'add-user', 'bench', 'bench@example.org'],
                       input=PASSWORD + '\n', text=True, check=True, capture_output=True)
        big, big_sums = make_book(work, 'big', args.size_mb)
        junk = make_junk(work, args.size_mb)
        smalls = [make_book(work, f'small{i}', args.each_mb) for i in range(args.concurrent)]

        discard = DiscardingServer()
        discard.start()
        service = subprocess.Popen([args.program, '--data', data, '--listen', '127.0.0.1:0',
                                    '--max-upload', '1G'],
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        base = re.search(r'(http://127\.0\.0\.1:\d+/)', service.stdout.readline()).group(1)
        memory = MemoryWatch(service.pid)
        memory.start()
        idle_kb = memory.rss_kb()
        cookie = login(base)
        library = None
        if os.path.exists(args.discard_program):
            library = subprocess.Popen([args.discard_program], stdout=subprocess.PIPE, text=True)
            library_url = f'http://127.0.0.1:{int(library.stdout.readline())}/'

        print(f'load average before: {os.getloadavg()[0]:.1f} on {os.cpu_count()} cores')
        # The three receivers take turns, round by round, so that each sees the same load.
        times = {'ceiling': [], 'library': [], 'service': []}
        cpu_before = cpu_seconds(service.pid)
        discard_cpu_before = discard.cpu_seconds
        for _ in range(args.rounds):
            times['ceiling'].append(curl_upload(f'http://127.0.0.1:{discard.port}/', junk)[0])
            if library:
                times['library'].append(curl_upload(library_url, junk,
                                                    content_type='application/octet-stream')[0])
            times['service'].append(curl_upload(base + 'app/flipbook/fp-zip.php', junk, cookie)[0])
        cpu_each = (cpu_seconds(service.pid) - cpu_before) / args.rounds
        discard_cpu_each = (discard.cpu_seconds - discard_cpu_before) / args.rounds
        if library:
            library.kill()
            library.wait()
        ceiling = min(times['ceiling'])
        ratios = sorted(c / s for c, s in zip(times['ceiling'], times['service']))
        print(f'curl to a discarding server: {mb(junk) / ceiling:.0f} MB/s (best of {args.rounds}); '
              f'its CPU {discard_cpu_each:.2f} s each ({mb(junk) / discard_cpu_each:.0f} MB per CPU second)')
        if library:
            alone = min(times['library'])
            print(f'curl to cpp-httplib discarding what it reads: {mb(junk) / alone:.0f} MB/s '
                  f'(best of {args.rounds}), {ceiling / alone:.2f} of the discarding server')
        received = min(times['service'])
        print(f'one upload of {mb(junk):.0f} MB received, stored and parsed: {mb(junk) / received:.0f} MB/s '
              f'(best of {args.rounds}), {ceiling / received:.2f} of the discarding server '
              f'(round by round: median {ratios[len(ratios) // 2]:.2f}, {ratios[0]:.2f} to {ratios[-1]:.2f}); '
              f'service CPU {cpu_each:.2f} s each ({mb(junk) / cpu_each:.0f} MB per CPU second)')
        seconds, status, reply = curl_upload(base + 'app/flipbook/fp-zip.php', big, cookie)
        assert status == 200 and 'URL[' in reply, reply
        big_intact = stored_intact(base, 'big', big_sums)
        print(f'one upload of {mb(big):.0f} MB published (received, unpacked, flushed to disk, renamed): '
              f'{mb(big) / seconds:.0f} MB/s ({seconds:.2f} s), stored intact: {big_intact}')
        peaks = {'the large upload': memory.peak_kb}
        memory.peak_kb = 0

        start = time.monotonic()
        with concurrent.futures.ThreadPoolExecutor(args.concurrent) as pool:
            results = list(pool.map(lambda book: curl_upload(base + 'app/flipbook/fp-zip.php', book[0], cookie),
                                    smalls))
        elapsed = time.monotonic() - start
        all_ok = all(status == 200 for _, status, _ in results)
        intact = all(stored_intact(base, f'small{i}', sums) for i, (_, sums) in enumerate(smalls))
        total = sum(mb(path) for path, _ in smalls)
        print(f'{args.concurrent} concurrent uploads of {args.each_mb} MB: {total / elapsed:.0f} MB/s '
              f'together ({elapsed:.2f} s), all answered 200: {all_ok}, all stored intact: {intact}')
        peaks['the concurrent uploads'] = memory.peak_kb
        memory.peak_kb = 0

        start = time.monotonic()
        for _ in range(args.logins):
            login(base)
        serial = time.monotonic() - start
        start = time.monotonic()
        with concurrent.futures.ThreadPoolExecutor(8) as pool:
            list(pool.map(lambda _: login(base), range(args.logins)))
        parallel = time.monotonic() - start
        print(f'{args.logins} logins: {args.logins / serial:.0f}/s one after another '
              f'({serial * 1000 / args.logins:.0f} ms each), {args.logins / parallel:.0f}/s from 8 clients')

        memory.running = False
        memory.join()
        peaks['the logins'] = memory.peak_kb
        during = ', '.join(f'{kb / 1024:.0f} MB during {phase}' for phase, kb in peaks.items())
        print(f'service memory (resident): {idle_kb / 1024:.0f} MB idle; peak {during}; '
              f'high-water mark {memory.rss_kb("VmHWM") / 1024:.0f} MB')
        service.terminate()
        service.wait(30)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    main()
