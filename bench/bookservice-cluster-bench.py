#!/usr/bin/env python3
"""Book service cluster figures on this machine (scripts/bookservice-cluster.sh: PostgreSQL, the
Swift object store with its S3 layer, two nodes, haproxy): logins per second and concurrent uploads
through one node against through haproxy to both; each node's peak resident memory throughout;
object-store writes of bookservice against s3cmd put of the same files to the same store. Every
stored file is read back through the front and checked against its source by SHA-256.

Usage: bench/bookservice-cluster-bench.py [--program build/bin/bookservice] [--logins 200]
                                          [--concurrent 16] [--each-mb 20] [--store-mb 200]
                                          [--rounds 4]
"""
import argparse
import concurrent.futures
import hashlib
import importlib.util
import os
import re
import shutil
import subprocess
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
found = importlib.util.spec_from_file_location('single', os.path.join(HERE, 'bookservice-bench.py'))
single = importlib.util.module_from_spec(found)
found.loader.exec_module(single)

SCRIPT = os.path.join(ROOT, 'scripts', 'bookservice-cluster.sh')


def script(*words, program, stdin=None):
    return subprocess.run([SCRIPT, *words], input=stdin, text=True, check=True, capture_output=True,
                          env={**os.environ, 'BOOKSERVICE': program}).stdout


def config_value(config, key):
    with open(config) as text:
        return re.search(rf'^{key} = (.*)$', text.read(), re.M).group(1)


def logins_per_second(base, count, clients=8):
    """`count` logins by one curl running `clients` transfers at once over kept-alive
    connections: the client spends little of the shared cores, so more of them go to the nodes."""
    command = ['curl', '-s', '--no-progress-meter', '--noproxy', '*', '-Z', '--parallel-max', str(clients), '-o', '/dev/null',
               '-w', '%{http_code}\n', '-d', f'log=bench&pwd={single.PASSWORD}',
               f'{base}__app_wp_login.php?n=[1-{count}]']
    start = time.monotonic()
    statuses = subprocess.run(command, capture_output=True, text=True, check=True).stdout.split()
    elapsed = time.monotonic() - start
    assert statuses == ['200'] * count, statuses
    return count / elapsed


def tree_cpu(pid):
    """CPU seconds of a process, its children that ended and those still running (PostgreSQL's
    backends, for its postmaster)."""
    def fields(p):
        with open(f'/proc/{p}/stat') as stat:
            return stat.read().rsplit(')', 1)[1].split()
    own = fields(pid)
    ticks = sum(int(own[i]) for i in (11, 12, 13, 14))
    for entry in os.listdir('/proc'):
        if entry.isdigit():
            try:
                child = fields(entry)
            except OSError:
                continue
            if child[1] == str(pid):
                ticks += int(child[11]) + int(child[12])
    return ticks / os.sysconf('SC_CLK_TCK')


def machine_busy():
    """CPU seconds the whole machine spent busy so far (every process, ours and others')."""
    with open('/proc/stat') as stat:
        values = [int(v) for v in stat.readline().split()[1:]]
    return (sum(values) - values[3] - values[4]) / os.sysconf('SC_CLK_TCK')


class CpuLedger:
    """Where the CPU time of a phase went: each node, haproxy, PostgreSQL, this client, and the
    rest of the machine (other work running beside the benchmark)."""

    def __init__(self, pids):
        self.pids = pids

    def sample(self):
        times = os.times()
        taken = {name: tree_cpu(pid) for name, pid in self.pids.items()}
        taken['client'] = times.user + times.system + times.children_user + times.children_system
        taken['machine'] = machine_busy()
        return taken

    @staticmethod
    def spent(before, after):
        used = {name: after[name] - before[name] for name in before}
        used['others'] = used.pop('machine') - sum(used.values())
        return used


def compare_logins(ways, count, rounds, ledger):
    """Logins through each way in turn, round by round, so that each sees the same load: the rate
    of each, and the CPU seconds per login of each process."""
    seconds = {way: 0.0 for way in ways}
    cpu = {way: {} for way in ways}
    for _ in range(rounds):
        for way, base in ways.items():
            before = ledger.sample()
            start = time.monotonic()
            logins_per_second(base, count // rounds)
            seconds[way] += time.monotonic() - start
            for name, used in CpuLedger.spent(before, ledger.sample()).items():
                cpu[way][name] = cpu[way].get(name, 0.0) + used
    done = (count // rounds) * rounds
    return {way: (done / seconds[way], {n: c / done * 1000 for n, c in cpu[way].items()}) for way in ways}


def print_logins(label, results):
    one, two = results['one'][0], results['two'][0]
    print(f'{label}: one node {one:.0f}/s, two nodes behind haproxy {two:.0f}/s ({two / one:.2f}x)')
    for way, (_, per_login) in results.items():
        parts = ', '.join(f'{name} {ms:.1f}' for name, ms in per_login.items())
        print(f'  CPU ms per login through {way}: {parts}')


def pin(pid, cores):
    subprocess.run(['taskset', '-a', '-p', '-c', cores, str(pid)], check=True, capture_output=True)


def concurrent_uploads(base, books, cookie):
    start = time.monotonic()
    with concurrent.futures.ThreadPoolExecutor(len(books)) as pool:
        results = list(pool.map(lambda book: single.curl_upload(base + 'app/flipbook/fp-zip.php', book[0],
                                                                cookie), books))
    elapsed = time.monotonic() - start
    total = sum(single.mb(path) for path, _ in books)
    return total / elapsed, all(status == 200 for _, status, _ in results)


def folder_of_pictures(folder, megabytes):
    """A book folder of incompressible 10 MB pictures and an index.html; the SHA-256 of each."""
    os.makedirs(os.path.join(folder, 'wallimages'))
    sums = {}
    for i in range(max(1, megabytes // 10)):
        data = os.urandom(10 << 20)
        name = f'wallimages/{i}.jpg'
        with open(os.path.join(folder, name), 'wb') as out:
            out.write(data)
        sums[name] = hashlib.sha256(data).hexdigest()
    with open(os.path.join(folder, 'index.html'), 'wb') as out:
        out.write(b'<html>store</html>\n')
    sums['index.html'] = hashlib.sha256(b'<html>store</html>\n').hexdigest()
    return sums


def folder_mb(folder):
    return sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(folder) for f in fs) / 1e6


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--program', default=os.path.join(ROOT, 'build', 'bin', 'bookservice'))
    parser.add_argument('--logins', type=int, default=200)
    parser.add_argument('--concurrent', type=int, default=16)
    parser.add_argument('--each-mb', type=int, default=20)
    parser.add_argument('--store-mb', type=int, default=200)
    parser.add_argument('--rounds', type=int, default=4)
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix='bookservice-cluster-bench-')
    os.chmod(work, 0o711)  # as root, PostgreSQL runs as nobody, who must reach the cluster's folder
    cluster = os.path.join(work, 'cluster')
    os.mkdir(cluster)
    try:
        shown = dict(line.split('=', 1) for line in script('start', cluster, program=args.program).split())
        front, node1 = shown['front'] + '/', shown['node1'] + '/'
        script('add-user', cluster, 'bench', 'bench@example.org', program=args.program,
               stdin=single.PASSWORD + '\n')
        watches = {}
        for node in ('node1', 'node2'):
            with open(os.path.join(cluster, 'run', node + '.pid')) as pid:
                watches[node] = single.MemoryWatch(int(pid.read()))
                watches[node].start()
        print(f'{time.strftime("%Y-%m-%d %H:%M")}; load average before: {os.getloadavg()[0]:.1f} '
              f'on {os.cpu_count()} cores')

        pids = {}
        for name in ('node1', 'node2', 'front', 'postgres'):
            with open(os.path.join(cluster, 'run', name + '.pid')) as pid:
                pids[name] = int(pid.read())
        ledger = CpuLedger(pids)
        ways = {'one': node1, 'two': front}
        print_logins(f'{args.logins} logins from 8 clients, {args.rounds} rounds in turn',
                     compare_logins(ways, args.logins, args.rounds, ledger))
        # Each node on a core of its own, as on machines of their own (the client, haproxy and
        # PostgreSQL still share both cores with them): what two nodes add when neither takes the
        # other's core.
        pin(pids['node1'], '0')
        pin(pids['node2'], '1')
        print_logins(f'the same with node1 held to core 0 and node2 to core 1',
                     compare_logins(ways, args.logins, args.rounds, ledger))
        everywhere = ','.join(str(core) for core in sorted(os.sched_getaffinity(0)))
        pin(pids['node1'], everywhere)
        pin(pids['node2'], everywhere)

        cookie = single.login(node1)
        rates = {}
        for way, base in (('one', node1), ('two', front)):
            books = [single.make_book(work, f'{way}{i}', args.each_mb) for i in range(args.concurrent)]
            rates[way] = concurrent_uploads(base, books, cookie)
            intact = all(single.stored_intact(front, f'{way}{i}', sums) for i, (_, sums) in enumerate(books))
            rates[way] += (intact,)
            for path, _ in books:
                os.remove(path)
        print(f'{args.concurrent} concurrent uploads of {args.each_mb} MB: one node {rates["one"][0]:.0f} MB/s, '
              f'through haproxy to two {rates["two"][0]:.0f} MB/s ({rates["two"][0] / rates["one"][0]:.2f}x); '
              f'all answered 200: {rates["one"][1] and rates["two"][1]}; every file read back through the '
              f'front with the SHA-256 sent: {rates["one"][2] and rates["two"][2]}')

        # Object-store writes: the same folder of pictures, by bookservice migrate (which stores a
        # data folder's books in the cluster) and by s3cmd put --recursive.
        data = os.path.join(work, 'data')
        # The same account (id 1, "bench") as in the cluster, so that migrate copies its book.
        subprocess.run([args.program, '--data', data, 'add-user', 'bench', 'bench@example.org'],
                       input=single.PASSWORD + '\n', text=True, check=True, capture_output=True)
        book = os.path.join(data, 'books', 'u', '1', 'flipbook', 'stored')
        store_sums = folder_of_pictures(book, args.store_mb)
        size = folder_mb(book)
        config = os.path.join(cluster, 'bookservice.conf')
        s3cfg = os.path.join(work, 's3cfg')
        endpoint = config_value(config, 'store_endpoint').split('//', 1)[1]
        with open(os.open(s3cfg, os.O_WRONLY | os.O_CREAT, 0o600), 'w') as out:
            out.write(f'[default]\naccess_key = {config_value(config, "store_access_key")}\n'
                      f'secret_key = {config_value(config, "store_secret_key")}\nhost_base = {endpoint}\n'
                      f'host_bucket = {endpoint}\nuse_https = False\nbucket_location = us-east-1\n')
        start = time.monotonic()
        subprocess.run(['s3cmd', '-c', s3cfg, '--no-progress', 'put', '--recursive', book + '/',
                        's3://books/s3cmd-copy/'], check=True, capture_output=True)
        s3cmd_rate = size / (time.monotonic() - start)
        start = time.monotonic()
        subprocess.run([args.program, 'migrate', '--from', data, '--to', config], check=True, capture_output=True)
        ours = size / (time.monotonic() - start)
        print(f'object-store writes of {size:.0f} MB in 10 MB files: s3cmd put {s3cmd_rate:.0f} MB/s, '
              f'bookservice {ours:.0f} MB/s ({ours / s3cmd_rate:.2f}x); read back intact: '
              f'{single.stored_intact(front, "stored", store_sums)}')
        for watch in watches.values():
            watch.running = False
        peaks = ', '.join(f'{node} {watch.peak_kb / 1024:.0f} MB' for node, watch in watches.items())
        print(f'peak resident memory throughout: {peaks}')
    finally:
        subprocess.run([SCRIPT, 'stop', cluster], check=False)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    main()
