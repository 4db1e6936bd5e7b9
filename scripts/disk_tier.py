#!/usr/bin/env python3
"""The disk tier: what the program destroys, read back from the volume as a recovery tool would.

For NTFS (ntfs-3g), exFAT (exfat-fuse) and FAT32 (fusefat), volume images are made and mounted,
files are written, and the real program is run under Wine over files chosen in its open-file
dialog (an end-to-end test drives it), and over a folder given on its command line as Explorer's
verb gives it. Then the volume is unmounted and its raw image searched: The Sleuth Kit lists the
deleted entries (fls -rd) and gives their content (icat), and a byte search looks for the random
tokens written into every chosen file and its name, and into the names of the folders removed
(UTF-16, UTF-8 and the pieces of FAT's long-name entries). Copies of the same files deleted
plainly must be found by the same search, so that it can fail; the files beside the chosen ones
must stay byte for byte. Run by scripts/disk-tier.sh as root; never touches a volume it did not
make. VEXLOR_DISK_TIER_CASES (say "folder_tree") runs only the cases named, comma-separated.
"""
import hashlib
import os
import random
import shutil
import string
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
BUILD = Path(os.environ.get('VEXLOR_BUILD_DIR', ROOT / 'build'))
WORK = BUILD / 'disk-tier'
IMAGE_MIB = 64
NEIGHBOURS = 300
INDEX_BLOCK = 4096  # an NTFS folder index record, cluster-aligned on these images

rng = random.SystemRandom()


def token():
    return 'Q' + ''.join(rng.choice(string.ascii_letters + string.digits) for _ in range(15))


def run(*command, check=True, **options):
    return subprocess.run([str(c) for c in command], check=check, capture_output=True,
                          **options)


def windows_path(path):
    return 'Z:' + str(path).replace('/', '\\')


class Volume:
    """An image of one file system, mounted through its FUSE driver."""

    def __init__(self, kind, label):
        self.kind = kind
        self.image = WORK / f'{label}.img'
        self.mount_point = WORK / label
        self.loop = None

    def make_and_mount(self):
        self.image.unlink(missing_ok=True)
        with open(self.image, 'wb') as image:
            image.truncate(IMAGE_MIB << 20)
        self.mount_point.mkdir(parents=True, exist_ok=True)
        if self.kind == 'ntfs':
            run('mkntfs', '-F', '-f', '-q', '-c', str(CLUSTER['ntfs']), self.image)
        elif self.kind == 'exfat':
            run('mkfs.exfat', '-c', str(CLUSTER['exfat']), self.image)
        else:
            run('mkfs.vfat', '-F', '32', '-s', str(CLUSTER['fat32'] // 512), self.image)
        self.mount()

    def mount(self):
        if self.kind == 'ntfs':
            run('ntfs-3g', '-o', 'streams_interface=windows', self.image, self.mount_point)
            return
        # A loop device of a fixed size: fusefat on a plain file writes past its end once the
        # volume is full.
        self.loop = run('losetup', '-f', '--show', self.image, text=True).stdout.strip()
        if self.kind == 'exfat':
            run('mount.exfat-fuse', self.loop, self.mount_point)
        else:
            run('fusefat', '-o', 'rw+', self.loop, self.mount_point)

    def free_clusters(self):
        """The free clusters of the unmounted image, as the file system's own tools count them
        (fusefat tells none while mounted)."""
        if self.kind == 'ntfs':
            text = run('ntfscluster', '-f', self.image, text=True).stdout
            return int(text.split('clusters of free space')[1].split(':')[1].split()[0])
        if self.kind == 'exfat':
            text = run('dump.exfat', self.image, text=True).stdout
            return int(text.split('Free Clusters:')[1].split()[0])
        text = run('fsck.fat', '-n', self.image, text=True, check=False).stdout
        used, total = text.strip().splitlines()[-1].split(',')[1].split()[0].split('/')
        return int(total) - int(used)

    def unmount(self):
        """Unmounts and waits until the driver has written everything and ended."""
        if os.path.ismount(self.mount_point):
            for _ in range(20):
                if run('fusermount', '-u', self.mount_point, check=False).returncode == 0:
                    break
                time.sleep(0.5)
            else:
                run('fusermount', '-uz', self.mount_point, check=False)
        watched = self.loop or str(self.image)
        for _ in range(600):
            if run('pgrep', '-f', watched, check=False).returncode != 0:
                break
            time.sleep(0.1)
        else:
            raise RuntimeError(f'the driver of {self.image} did not end')
        if self.loop:
            run('losetup', '-d', self.loop, check=False)
            self.loop = None


class Secret:
    """A file whose content and name carry tokens that must not outlive its destruction."""

    def __init__(self, folder, name_pattern, size, content_tokens=None):
        self.name_token = token()
        self.name = name_pattern.format(self.name_token)
        self.path = folder / self.name
        self.size = size
        self.content_tokens = content_tokens or [token()]

    def content(self, length):
        line = (self.content_tokens[0] + '\n').encode()
        return (line * (length // len(line) + 1))[:length]

    def write(self):
        self.path.write_bytes(self.content(self.size))


# The volumes' clusters: 4 KiB on NTFS and exFAT, 512 bytes on FAT32 (which needs 65,525
# clusters at least).
CLUSTER = {'ntfs': 4096, 'exfat': 4096, 'fat32': 512}


class CutShort(Secret):
    """Written longer, then cut short within its last cluster, as an editor that saves in place
    does: the former end stays in the rest of that cluster. (Clusters that a cut frees are free
    space, which no overwrite of the file reaches.)"""

    def __init__(self, folder, name_pattern, size, cluster):
        super().__init__(folder, name_pattern, size, [token(), token()])
        self.written = min(7840, (size // cluster + 1) * cluster)

    def write(self):
        tail = (self.content_tokens[1] + '\n').encode()
        former_end = tail * ((self.written - self.size) // len(tail))
        self.path.write_bytes(self.content(self.size) + former_end)
        os.truncate(self.path, self.size)


class Sparse(Secret):
    """Data in the middle of a sparse file of some megabytes."""

    def write(self):
        with open(self.path, 'wb') as sparse:
            sparse.truncate(self.size)
            sparse.seek(self.size // 2)
            sparse.write(self.content(64 << 10))


def secrets_for(kind, folder):
    # fusefat writes no Unicode names: ASCII stands in for Cyrillic there.
    cyrillic = kind != 'fat32'
    before = ('0 Отчёт о продажах {} за 2026 год.docx' if cyrillic
              else '0 Sales report {} for the year 2026.docx')
    after = ('я Длинное имя черновика {} версия два.txt' if cyrillic
             else 'zz Long name of the draft {} version two.txt')
    secrets = [Secret(folder, 'tiny-{}.txt', 40), Secret(folder, 'multi-{}.bin', 2 << 20),
               Secret(folder, before, 3000), Secret(folder, after, 3000),
               CutShort(folder, 'cut-{}.txt', 5000, CLUSTER[kind]),
               Secret(folder, 'whole-{}.bin', 8192)]
    secrets += [Secret(folder, f'n{i:03d}-{{}}.txt', 1000 + i) for i in (7, 150, 151, 299)]
    return secrets


def write_neighbours(folder, count):
    hashes = {}
    for i in range(count):
        path = folder / f'n{i:03d}.txt'
        path.write_bytes(os.urandom(rng.randint(1, 6000)))
        hashes[path] = None
    return hashes


def fill_volume(folder):
    filler = folder / 'filler.bin'
    with open(filler, 'wb', buffering=0) as out:
        block = os.urandom(64 << 10)
        for size in (64 << 10, 512):
            while True:
                try:
                    out.write(block[:size])
                except OSError:
                    break
    return {filler: None}


def hash_all(files):
    return {path: hashlib.sha256(path.read_bytes()).hexdigest() for path in files}


def run_driver(test, **variables):
    """Runs one of the end-to-end tests that drive the program for the tier."""
    environment = dict(os.environ, **variables)
    result = subprocess.run(
        [str(ROOT / 'scripts' / 'wine-exec.sh'), str(BUILD),
         str(BUILD / 'tests' / 'vexlor_e2e_tests.exe'), '--gtest_also_run_disabled_tests',
         f'--gtest_filter={test}'],
        env=environment, capture_output=True, text=True, errors='replace')
    passed = result.returncode == 0 and '[  PASSED  ] 1 test' in result.stdout
    return [] if passed else ['the program run: ' + result.stdout[-3000:] + result.stderr[-2000:]]


def destroy_in_the_program(folder, secrets):
    chosen = WORK / 'chosen.txt'
    chosen.write_text(''.join(s.name + '\n' for s in secrets), encoding='utf-8')
    return run_driver('WipeEndToEnd.DISABLED_DiskTier*',
                      VEXLOR_DISK_TIER_FOLDER=windows_path(folder),
                      VEXLOR_DISK_TIER_CHOSEN=windows_path(chosen),
                      VEXLOR_DISK_TIER_FILES=str(len(os.listdir(folder))))
def clean_free_space_in_the_program(folder):
    started = time.monotonic()
    failures = run_driver('WipeEndToEnd.DISABLED_FreeSpaceTier*',
                          VEXLOR_DISK_TIER_FOLDER=windows_path(folder))
    return failures, time.monotonic() - started


def listing(folder):
    return sorted(str(path.relative_to(folder)) for path in folder.rglob('*'))


def free_space(volume, findings):
    """Files deleted plainly (tiny ones inside their NTFS records, larger ones in clusters),
    then the volume's free space cleaned through the program's window: none of their content
    may be left in the image, the other files stay byte for byte, nothing of the program's own
    is left, and the volume has the free clusters it had before."""
    label = f'{volume.kind} free space'
    root = volume.mount_point
    neighbours = write_neighbours(root, 50)
    deleted = [Secret(root, 'tiny-{}.txt', 40) for _ in range(8)]
    deleted += [Secret(root, 'small-{}.txt', 3000), Secret(root, 'multi-{}.bin', 2 << 20)]
    for secret in deleted:
        secret.write()
    before = hash_all(neighbours)
    for secret in deleted:
        secret.path.unlink()
    names = listing(root)
    tokens = [t for s in deleted for t in s.content_tokens]
    volume.unmount()
    image = volume.image.read_bytes()
    found_before = sum(t.encode() in image for t in tokens)
    free_before = volume.free_clusters()
    volume.mount()
    failures, seconds = clean_free_space_in_the_program(root)
    findings.failures += failures
    check_neighbours(before, findings, label)
    if listing(root) != names:
        findings.fail(f'{label}: files changed: {sorted(set(listing(root)) ^ set(names))[:5]}')
    volume.unmount()
    image = volume.image.read_bytes()
    left = [t for t in tokens if t.encode() in image]
    free_after = volume.free_clusters()
    findings.figures.append(
        f'{label}: content of plainly deleted files found {found_before} of {len(tokens)} tokens '
        f'before, {len(left)} after; free clusters {free_before} before, {free_after} after; '
        f'{seconds:.1f} s through the window')
    if found_before != len(tokens):
        findings.fail(f'{label}: the search missed plainly deleted content before the cleaning')
    if left:
        findings.fail(f'{label}: content of deleted files left in free space: {left}')
    if free_after != free_before:
        findings.fail(f'{label}: free clusters {free_before} before, {free_after} after')


def name_patterns(secret, kind):
    """Byte strings that would show the name's token on the volume."""
    t = secret.name_token
    patterns = [t.encode('utf-16-le'), t.encode()]
    # The name's entries hold pieces of it: exFAT 15 characters each, FAT's long-name entries
    # 13 in fields of 5, 6 and 2. Fields of at least 5 characters of the token are looked for.
    fields = {'exfat': (15, ((0, 15),)), 'fat32': (13, ((0, 5), (5, 6)))}.get(kind)
    if fields:
        piece, parts = fields
        start, end = secret.name.index(t), secret.name.index(t) + len(t)
        for piece_start in range(0, len(secret.name), piece):
            for offset, width in parts:
                first = max(piece_start + offset, start)
                last = min(piece_start + offset + width, end, len(secret.name))
                if last - first >= 5:
                    patterns.append(secret.name[first:last].encode('utf-16-le'))
    return patterns


def in_folder_index(image, offset):
    """Whether an NTFS offset lies in a folder's index: one of its index records, or the
    folder's own file record, which holds the index's root."""
    block = offset - offset % INDEX_BLOCK
    if image[block:block + 4] == b'INDX':
        return True
    record = offset - offset % 1024
    if image[record:record + 4] != b'FILE':
        return False
    at = int.from_bytes(image[record + 0x14:record + 0x16], 'little')
    while at + 8 <= 1024:
        kind = int.from_bytes(image[record + at:record + at + 4], 'little')
        length = int.from_bytes(image[record + at + 4:record + at + 8], 'little')
        if kind == 0x90:  # $INDEX_ROOT
            return True
        if kind == 0xFFFFFFFF or length == 0:
            return False
        at += length
    return False


def find_all(image, pattern):
    hits, at = [], image.find(pattern)
    while at >= 0:
        hits.append(at)
        at = image.find(pattern, at + 1)
    return hits


def deleted_entries(volume):
    """(inode, name) of every deleted entry The Sleuth Kit lists, and their content."""
    listing = run('fls', '-r', '-d', '-p', volume.image, text=True, timeout=300).stdout
    entries = []
    for line in listing.splitlines():
        if ':' not in line or '*' not in line:
            continue
        address, name = line.split(':', 1)
        inode = address.split()[-1]
        content = run('icat', volume.image, inode, check=False, timeout=300).stdout
        entries.append((name.strip(), content))
    return entries


class Findings:
    def __init__(self):
        self.failures = []
        self.figures = []

    def fail(self, text):
        self.failures.append(text)


def search(volume, destroyed, controls, findings, label):
    image = volume.image.read_bytes()
    recovered = deleted_entries(volume)
    listed_names = '\n'.join(name for name, _ in recovered)
    recovered_content = b''.join(content for _, content in recovered)

    content_left = [t for s in destroyed for t in s.content_tokens if t.encode() in image]
    undeleted = [t for s in destroyed for t in s.content_tokens if t.encode() in recovered_content]
    names_left, names_in_index = [], []
    for secret in destroyed:
        hits = [h for p in name_patterns(secret, volume.kind) for h in find_all(image, p)]
        if secret.name_token in listed_names and not hits:
            hits = [-1]
        if hits and volume.kind == 'ntfs' and all(h >= 0 and in_folder_index(image, h)
                                                  for h in hits):
            names_in_index.append(secret.name)
        elif hits:
            names_left.append(secret.name)
            where = ', '.join(f'{h:#x}' for h in hits[:4])
            findings.figures.append(f'  {secret.name} at {where}')
    total_content = sum(len(s.content_tokens) for s in destroyed)
    findings.figures.append(
        f'{label}: content left {len(content_left)} of {total_content} tokens '
        f'({len(undeleted)} in deleted entries), names left {len(names_left)} of {len(destroyed)}'
        + (f', in the folder index only {len(names_in_index)}' if volume.kind == 'ntfs' else '')
        + f', deleted entries listed {len(recovered)}')
    if content_left:
        findings.fail(f'{label}: content of destroyed files found: {content_left}')
    if names_left:
        findings.fail(f'{label}: names of destroyed files found: {names_left}')

    if controls:
        missed = [t for s in controls for t in s.content_tokens if t.encode() not in image]
        unnamed = [s.name for s in controls
                   if not any(p in image for p in name_patterns(s, volume.kind))]
        findings.figures.append(f'{label}: plainly deleted copies: content found '
                                f'{sum(len(s.content_tokens) for s in controls) - len(missed)} '
                                f'of {sum(len(s.content_tokens) for s in controls)} tokens, names '
                                f'found {len(controls) - len(unnamed)} of {len(controls)}')
        if missed or unnamed:
            findings.fail(f'{label}: the search missed plainly deleted copies: {missed} {unnamed}')


def check_neighbours(before, findings, label):
    changed = [str(p) for p, digest in before.items() if not p.exists()
               or hashlib.sha256(p.read_bytes()).hexdigest() != digest]
    if changed:
        findings.fail(f'{label}: files beside the chosen ones changed: {changed[:5]}')


def check_gone(secrets, findings, label):
    stayed = [s.name for s in secrets if s.path.exists()]
    if stayed:
        findings.fail(f'{label}: chosen files still there: {stayed}')


def folder_with_hundreds(volume, findings):
    """Hundreds of files, some chosen among them; copies of the chosen deleted plainly."""
    label = f'{volume.kind} folder'
    folder, copies = volume.mount_point / 'work', volume.mount_point / 'copies'
    folder.mkdir()
    copies.mkdir()
    neighbours = write_neighbours(folder, NEIGHBOURS)
    secrets = secrets_for(volume.kind, folder)
    controls = secrets_for(volume.kind, copies)
    for secret in secrets + controls:
        secret.write()
    before = hash_all(neighbours)
    findings.failures += destroy_in_the_program(folder, secrets)
    check_gone(secrets, findings, label)
    check_neighbours(before, findings, label)
    # Deleted plainly after the run, so that no space the run took (a name cover's record, say)
    # can hide their traces: the search must find them.
    for control in controls:
        control.path.unlink()
    return secrets, controls


def full_volume(volume, findings):
    """Files of whole clusters and one cut short, on a volume with no free cluster."""
    label = f'{volume.kind} full volume'
    folder = volume.mount_point / 'full'
    folder.mkdir()
    secrets = [Secret(folder, 'whole-{}.bin', 8192), Secret(folder, 'whole-{}-2.bin', 64 << 10),
               CutShort(folder, 'cut-{}.txt', 5000, CLUSTER[volume.kind])]
    for secret in secrets:
        secret.write()
    neighbours = write_neighbours(folder, 20)
    neighbours.update(fill_volume(folder))
    before = hash_all(neighbours)
    findings.failures += destroy_in_the_program(folder, secrets)
    check_gone(secrets, findings, label)
    check_neighbours(before, findings, label)
    return secrets


def sparse_file(volume, findings):
    """A sparse file of some megabytes with data in its middle."""
    label = f'{volume.kind} sparse file'
    folder = volume.mount_point / 'sparse'
    folder.mkdir()
    secrets = [Sparse(folder, 'disk-{}.img', 8 << 20)]
    secrets[0].write()
    neighbours = write_neighbours(folder, 20)
    before = hash_all(neighbours)
    findings.failures += destroy_in_the_program(folder, secrets)
    check_gone(secrets, findings, label)
    check_neighbours(before, findings, label)
    return secrets


class FolderName(Secret):
    """A folder whose name carries a token that must not outlive its removal."""

    def __init__(self, parent, name_pattern):
        super().__init__(parent, name_pattern, 0)
        self.content_tokens = []

    def write(self):
        self.path.mkdir()


def make_tree(parent, kind):
    """A folder with files, subfolders two deep and an empty one, all named with tokens."""
    top = FolderName(parent, 'Папка {} для уничтожения' if kind != 'fat32' else 'Folder {} to go')
    sub = FolderName(top.path, 'sub-{}')
    deeper = FolderName(sub.path, 'deeper-{}')
    empty = FolderName(top.path, 'empty-{}')
    folders = [top, sub, deeper, empty]
    files = [Secret(top.path, 'top-{}.txt', 3000), Secret(sub.path, 'sub-file-{}.bin', 9000),
             Secret(deeper.path, 'deep-{}.txt', 40)]
    files += [Secret(sub.path, f's{i:02d}-{{}}.txt', 1000 + i) for i in range(12)]
    for item in folders + files:
        item.write()
    return top, folders + files, len(files)


def folder_tree(volume, findings):
    """A folder given as Explorer's verb gives it: its files destroyed, its folders removed."""
    label = f'{volume.kind} folder tree'
    parent, copies = volume.mount_point / 'parent', volume.mount_point / 'copies'
    parent.mkdir()
    copies.mkdir()
    neighbours = write_neighbours(parent, 20)
    top, destroyed, files = make_tree(parent, volume.kind)
    copy, controls, _ = make_tree(copies, volume.kind)
    before = hash_all(neighbours)
    findings.failures += run_driver('WipeEndToEndFromExplorer.DISABLED_DiskTier*',
                                    VEXLOR_DISK_TIER_FOLDER=windows_path(top.path),
                                    VEXLOR_DISK_TIER_FILES=str(files))
    check_gone(destroyed, findings, label)
    check_neighbours(before, findings, label)
    shutil.rmtree(copy.path)
    return destroyed, controls


def main():
    WORK.mkdir(parents=True, exist_ok=True)
    findings = Findings()
    cases = {'ntfs': (folder_with_hundreds, full_volume, sparse_file, folder_tree, free_space),
             'exfat': (folder_with_hundreds, full_volume, folder_tree, free_space),
             'fat32': (folder_with_hundreds, full_volume, folder_tree, free_space)}
    wanted = os.environ.get('VEXLOR_DISK_TIER_CASES')
    for kind, kind_cases in cases.items():
        for case in kind_cases:
            if wanted and case.__name__ not in wanted.split(','):
                continue
            volume = Volume(kind, f'{kind}-{case.__name__}')
            try:
                volume.make_and_mount()
                outcome = case(volume, findings)
            finally:
                volume.unmount()
            if outcome is None:  # the case searched the image itself
                if not os.environ.get('VEXLOR_DISK_TIER_KEEP'):
                    volume.image.unlink()
                continue
            destroyed, controls = outcome if isinstance(outcome, tuple) else (outcome, [])
            search(volume, destroyed, controls, findings, f'{kind} {case.__name__}')
            if not os.environ.get('VEXLOR_DISK_TIER_KEEP'):  # for a look at the image
                volume.image.unlink()
    print('\n'.join(findings.figures))
    if findings.failures:
        print('\nFAILED:\n' + '\n'.join(findings.failures))
        return 1
    print('\nThe disk tier passed.')
    return 0


if __name__ == '__main__':
    sys.exit(main())
