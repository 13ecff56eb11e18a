#!/usr/bin/env python3
"""The upload of a large wall by murano's upload dialog to a local bookservice, against curl posting
the same request body to the same service: packing seconds, transfer MB/s and peak memory of each.
--bulk MB adds an incompressible file of that size to the wall, to show memory staying flat.
Usage: bench/upload-bench.py [--slides 500] [--bulk 0] [--build build]"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import time

USER, PASSWORD = 'bench', 'bench password'
BOUNDARY = '-' * 29 + '7d935033608e2'


def start_service(program, data):
    service = subprocess.Popen([program, '--data', data, '--listen', '127.0.0.1:0',
                                '--max-upload', '4G', '--max-book', '8G'],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    line = service.stdout.readline()
    port = re.search(r'127\.0\.0\.1:(\d+)/', line)
    if not port:
        sys.exit(f'bookservice did not start: {line}')
    subprocess.run([program, '--data', data, 'add-user', USER, 'bench@example.org'],
                   input=PASSWORD + '\n', text=True, check=True, stdout=subprocess.DEVNULL)
    return service, f'http://127.0.0.1:{port.group(1)}/'


def curl_upload(url, body, cookies):
    """Logs in and posts the body with curl; returns transfer seconds and curl's peak MiB."""
    subprocess.run(['curl', '-sS', '-c', cookies, '--data-urlencode', f'log={USER}',
                    '--data-urlencode', f'pwd={PASSWORD}', url + '__app_wp_login.php'],
                   check=True, stdout=subprocess.DEVNULL)
    start = time.perf_counter()
    child = subprocess.Popen(['curl', '-sS', '-b', cookies, '-H',
                              f'Content-Type: multipart/form-data; boundary={BOUNDARY}',
                              '--data-binary', '@' + body, url + 'app/flipbook/fp-zip.php'],
                             stdout=subprocess.PIPE)
    reply = child.stdout.read()
    _, _, usage = os.wait4(child.pid, 0)
    if b'URL[' not in reply:
        sys.exit(f'curl upload refused: {reply[:200]}')
    return time.perf_counter() - start, usage.ru_maxrss / 1024


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--slides', type=int, default=500)
    parser.add_argument('--bulk', type=int, default=0)
    parser.add_argument('--build', default=os.path.join(os.path.dirname(__file__), '..', 'build'))
    args = parser.parse_args()
    subprocess.run(['cmake', '--build', args.build, '--target', 'upload_bench', 'publish_bench',
                    'bookservice'], check=True, stdout=subprocess.DEVNULL)
    tool = os.path.join(args.build, 'bench', 'upload', 'upload_bench')
    with tempfile.TemporaryDirectory(prefix='murano-upload-bench-') as scratch:
        state = os.path.join(scratch, 'state')
        env = dict(os.environ, XDG_STATE_HOME=state, XDG_DATA_HOME=os.path.join(scratch, 'data'),
                   QT_QPA_PLATFORM='offscreen')
        wall = os.path.join(state, 'quorvex', 'Quorvex_Murano')
        subprocess.run([os.path.join(args.build, 'bench', 'publish', 'publish_bench'), 'wall',
                        wall, str(args.slides)], check=True, env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        if args.bulk:
            with open(os.path.join(wall, 'wallimages', 'bulk.bin'), 'wb') as bulk:
                for _ in range(args.bulk):
                    bulk.write(os.urandom(1 << 20))
        service, url = start_service(os.path.join(args.build, 'bin', 'bookservice'),
                                     os.path.join(scratch, 'service'))
        env['MURANO_BOOK_SERVICE'] = url
        try:
            out = subprocess.run([tool, 'upload', USER, PASSWORD, 'murano_book'], env=env,
                                 check=True, capture_output=True, text=True).stdout
            figures = dict(line.split() for line in out.splitlines())
            body = os.path.join(scratch, 'body')
            subprocess.run([tool, 'body', USER, 'curl_book', body], env=env, check=True,
                           stderr=subprocess.DEVNULL)
            curl_seconds, curl_mib = curl_upload(url, body, os.path.join(scratch, 'cookies'))
        finally:
            service.terminate()
            service.wait()
        megabytes = int(figures['archive_bytes']) / 1e6
        murano_rate = megabytes / float(figures['transfer_seconds'])
        curl_rate = os.path.getsize(body) / 1e6 / curl_seconds
        print(f'wall: {args.slides} slides, archive {megabytes:.1f} MB')
        print(f'murano: packing {float(figures["pack_seconds"]):.2f} s (with the two checks), '
              f'transfer {murano_rate:.1f} MB/s ({figures["transfer_seconds"]} s, up to the '
              f'service\'s answer), peak memory {int(figures["peak_kib"]) / 1024:.1f} MiB')
        print(f'curl:   transfer {curl_rate:.1f} MB/s ({curl_seconds:.3f} s), '
              f'peak memory {curl_mib:.1f} MiB')
        print(f'murano / curl rate: {murano_rate / curl_rate:.2f}')


if __name__ == '__main__':
    main()
