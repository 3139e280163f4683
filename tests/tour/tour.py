#!/usr/bin/python3
"""A player's tour of the real game: the nullvane executable on a private X screen, played
through its window with xdotool, judged by what it shows and by what it plays.

The first run goes splash, main menu, level select, server tutorial, hack, win screen,
Backspace, main menu, the tutorial again, Esc, mute, resume, quit: exit status 0. The second
run closes the window in a level the way a window manager's close button does.

Everything waits on what the screen shows, with generous timeouts; the game runs on the
real clock. Screenshots (PNG) and the captured mix (WAV) go to the folder given with --out.
"""
import argparse
import ctypes
import os
import shutil
import signal
import subprocess
import sys
import time
import wave

import numpy as np
from PIL import Image
from Xlib import X, display as xdisplay, protocol

WIDTH, HEIGHT = 800, 600
SCREEN = (1024, 768)
RATE = 44100
STARTUP_LINES = {'Kelvo Engine version: 3.05', 'Graphics: OpenGL'}
ASSETS = 'ArtAssets'   # the game reads its data relative to the repository root


class TourFailure(Exception):
    pass


def dies_with_us():
    """Run in a child before it starts: it gets SIGTERM when the tour ends, however the
    tour ends (a test timeout kills it outright)."""
    ctypes.CDLL('libc.so.6', use_errno=True).prctl(1, signal.SIGTERM)   # PR_SET_PDEATHSIG


def log(message):
    print(f'[{time.monotonic() - START:6.1f}s] {message}', flush=True)


START = time.monotonic()


# ---------------------------------------------------------------- pictures

def asset_rgb(name, size=None, over=(0, 0, 0)):
    """An art file as the screen shows it at full opacity: composited over a colour."""
    picture = Image.open(os.path.join(ASSETS, name)).convert('RGBA')
    if size and picture.size != size:
        picture = picture.resize(size, Image.NEAREST)
    base = Image.new('RGBA', picture.size, over + (255,))
    return np.asarray(Image.alpha_composite(base, picture).convert('RGB')).astype(np.int16)


def asset_over(name, background, left, top):
    """The art file composited over the given region of another picture (numpy RGB)."""
    picture = Image.open(os.path.join(ASSETS, name)).convert('RGBA')
    w, h = picture.size
    under = Image.fromarray(background[top:top + h, left:left + w].astype(np.uint8)).convert('RGBA')
    return np.asarray(Image.alpha_composite(under, picture).convert('RGB')).astype(np.int16)


def match(shot, expected, left, top, tolerance=24, shift=1):
    """Share of pixels of a region that show the expected picture, allowing the whole
    picture a shift of a pixel (half-pixel camera positions round either way)."""
    h, w = expected.shape[:2]
    best = 0.0
    for dy in range(-shift, shift + 1):
        for dx in range(-shift, shift + 1):
            y, x = top + dy, left + dx
            if y < 0 or x < 0 or y + h > shot.shape[0] or x + w > shot.shape[1]:
                continue
            region = shot[y:y + h, x:x + w]
            close = np.abs(region - expected).max(axis=2) <= tolerance
            best = max(best, float(close.mean()))
    return best


def bright(shot, left, top, right, bottom, level=160):
    """Share of bright pixels in a region: lit text or a lit picture."""
    region = shot[top:bottom, left:right]
    return float((region.max(axis=2) >= level).mean())


def dark(shot, left, top, right, bottom, level=24):
    region = shot[top:bottom, left:right]
    return float((region.max(axis=2) <= level).mean())


def hack_ring(shot):
    """Green pixels of the hacking progress ring around the hacker."""
    spot = find_player(shot)
    if spot is None:
        return 0
    x, y = int(spot[0]), int(spot[1])
    box = shot[max(0, y - 28):y + 28, max(0, x - 28):x + 28]
    r, g, b = box[..., 0], box[..., 1], box[..., 2]
    return int(((g > 180) & (r < 150) & (b < 180)).sum())


def find_player(shot):
    """Screen position of the hacker (the one cyan figure below the HUD), or None."""
    body = shot[62:, :]
    r, g, b = body[..., 0], body[..., 1], body[..., 2]
    cyan = (r < 110) & (g > 170) & (b > 190)
    ys, xs = np.nonzero(cyan)
    if len(xs) < 40:
        return None
    return float(np.median(xs)), float(np.median(ys)) + 62


# ---------------------------------------------------------------- sound

def read_wav(path):
    """Samples of a WAV file (stereo int16), up to the end of the file whatever the
    header says: a run that was killed leaves no final sizes."""
    try:
        data = open(path, 'rb').read()
    except OSError as error:
        raise TourFailure(f'no captured sound: {error}')
    at, offset = 12, None
    while at + 8 <= len(data):
        kind, size = data[at:at + 4], int.from_bytes(data[at + 4:at + 8], 'little')
        if kind == b'data':
            offset = at + 8
            break
        at += 8 + size
    if offset is None:
        raise TourFailure(f'{path}: no sound data')
    frames = (len(data) - offset) // 4
    return offset, np.frombuffer(data, dtype='<i2', count=frames * 2, offset=offset).reshape(-1, 2)


def decode_ogg(path, folder):
    """A music file as mono float samples, decoded with oggdec."""
    out = os.path.join(folder, os.path.basename(path) + '.wav')
    subprocess.run(['oggdec', '-Q', '-o', out, path], check=True)
    with wave.open(out) as w:
        assert w.getframerate() == RATE and w.getsampwidth() == 2
        samples = np.frombuffer(w.readframes(w.getnframes()), dtype='<i2').reshape(-1, w.getnchannels())
    os.remove(out)
    return samples.astype(np.float64).sum(axis=1)


def best_match(segment, reference):
    """Where a stretch of the mix best matches a looping track: the normalised correlation
    there, the place in the track (seconds) and the gain the track plays at."""
    x = segment - segment.mean()
    r = np.concatenate([reference, reference[:len(x)]])   # the track loops
    n = 1 << int(np.ceil(np.log2(len(r) + len(x))))
    corr = np.fft.irfft(np.fft.rfft(r, n) * np.conj(np.fft.rfft(x, n)), n)[:len(r) - len(x) + 1]
    count = len(x)
    sums = np.concatenate([[0.0], np.cumsum(r)])
    squares = np.concatenate([[0.0], np.cumsum(r * r)])
    window_sum = sums[count:] - sums[:-count]
    window_energy = np.maximum(squares[count:] - squares[:-count] - window_sum ** 2 / count, 1e-9)
    score = corr / np.sqrt(window_energy * float((x * x).sum()))
    k = int(np.argmax(score))
    there = r[k:k + count]
    gain = float(np.dot(segment, there) / max(np.dot(there, there), 1e-9))
    return float(score[k]), (k % len(reference)) / RATE, gain


# ---------------------------------------------------------------- the X screen and the game

class Screen:
    """A private Xvfb of its own: the server chooses a free display number itself."""

    def __init__(self):
        read, write = os.pipe()
        self.process = subprocess.Popen(
            ['Xvfb', '-displayfd', str(write), '-screen', '0', f'{SCREEN[0]}x{SCREEN[1]}x24',
             '-nolisten', 'tcp', '-noreset'], pass_fds=(write,), preexec_fn=dies_with_us,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read, 'rb') as pipe:
            number = pipe.readline().strip()
        if not number:
            raise TourFailure('Xvfb did not start')
        self.name = ':' + number.decode()
        self.x = xdisplay.Display(self.name)
        self.env = dict(os.environ, DISPLAY=self.name)
        self.env.pop('XAUTHORITY', None)
        log(f'private X screen {self.name}')

    def close(self):
        self.x.close()
        self.process.terminate()
        self.process.wait(timeout=30)


class Game:
    def __init__(self, screen, executable, out, tag, sound):
        self.screen, self.out, self.tag = screen, out, tag
        env = dict(screen.env)
        env.pop('ALSOFT_DRIVERS', None)   # would win over the configuration file
        self.wav = os.path.join(out, f'{tag}.wav')
        if sound:
            conf = os.path.join(out, f'{tag}-alsoft.conf')
            with open(conf, 'w') as f:
                f.write('[general]\ndrivers=wave\nfrequency=44100\nchannels=stereo\n'
                        f'sample-type=int16\ndither=false\n[wave]\nfile={self.wav}\n')
            env['ALSOFT_CONF'] = conf
        else:
            env['ALSOFT_DRIVERS'] = 'null'
        # The player's settings and progress go to the tour's own folder, never the real home.
        env['XDG_CONFIG_HOME'] = os.path.join(out, 'home', 'config')
        env['XDG_DATA_HOME'] = os.path.join(out, 'home', 'data')
        self.output = open(os.path.join(out, f'{tag}-game.log'), 'w')
        self.process = subprocess.Popen([executable], env=env, stdout=self.output, stderr=subprocess.STDOUT,
                                        stdin=subprocess.DEVNULL, preexec_fn=dies_with_us)
        self.window = None
        self.shots = 0
        log(f'{tag}: started the game, pid {self.process.pid}')

    # -- waiting

    def alive(self):
        return self.process.poll() is None

    def wait_window(self, timeout):
        deadline = time.monotonic() + timeout
        root = self.screen.x.screen().root
        while time.monotonic() < deadline:
            if not self.alive():
                raise TourFailure(f'the game ended with status {self.process.returncode} before its window showed')
            for child in root.query_tree().children:
                if self.title(child) == 'Nullvane!':
                    geometry = child.get_geometry()
                    if (geometry.width, geometry.height) != (WIDTH, HEIGHT):
                        raise TourFailure(f'the window is {geometry.width}x{geometry.height}, not 800x600')
                    self.window = child
                    log(f'{self.tag}: window "Nullvane!" is up')
                    self.focus()
                    return
            time.sleep(0.05)
        raise TourFailure(f'no window titled "Nullvane!" within {timeout} s')

    def focus(self, timeout=30.0):
        """No window manager gives the focus: take it, and keep the pointer off the window
        so that it selects nothing."""
        self.park_pointer()
        self.xdotool('windowfocus', str(self.window.id))
        deadline = time.monotonic() + timeout
        while self.screen.x.get_input_focus().focus != self.window:
            if time.monotonic() > deadline:
                raise TourFailure('the window never got the keyboard focus')
            time.sleep(0.05)

    def title(self, window=None):
        window = window or self.window
        try:
            name = window.get_full_property(self.screen.x.intern_atom('_NET_WM_NAME'),
                                            self.screen.x.intern_atom('UTF8_STRING'))
            if name:
                return name.value.decode('utf-8', 'replace')
            return window.get_wm_name()
        except Exception:   # the window went away meanwhile
            return None

    def shot(self):
        image = self.window.get_image(0, 0, WIDTH, HEIGHT, X.ZPixmap, 0xffffffff)
        pixels = np.frombuffer(image.data, dtype=np.uint8).reshape(HEIGHT, WIDTH, 4)
        return pixels[..., 2::-1].astype(np.int16)   # BGRX to RGB

    def save(self, shot, name):
        self.shots += 1
        path = os.path.join(self.out, f'{self.tag}-{self.shots:02d}-{name}.png')
        Image.fromarray(shot.astype(np.uint8)).save(path)
        return path

    def wait_screen(self, name, check, timeout=60.0, give_up=False):
        """Screenshots until check(shot) holds; returns the shot, saved under name.
        check returns (holds, what it saw). On timeout: None if give_up, else a failure."""
        deadline = time.monotonic() + timeout
        seen = None
        while True:
            if not self.alive():
                raise TourFailure(f'waiting for {name}: the game ended with status {self.process.returncode}')
            shot = self.shot()
            holds, seen = check(shot)
            if holds:
                path = self.save(shot, name)
                log(f'{self.tag}: {name} ({seen}) -> {os.path.basename(path)}')
                return shot
            if time.monotonic() > deadline:
                if give_up:
                    return None
                path = self.save(shot, 'FAILED-' + name)
                raise TourFailure(f'no {name} within {timeout} s; last seen {seen}; screenshot {path}')
            time.sleep(0.1)

    def wait_title(self, title, timeout):
        deadline = time.monotonic() + timeout
        while self.title() != title:
            if not self.alive() or time.monotonic() > deadline:
                raise TourFailure(f'the window title never became "{title}" (it is "{self.title()}")')
            time.sleep(0.02)

    def wait_exit(self, timeout):
        """The exit status, once the game has ended having printed nothing but its start-up
        lines (a missing file or a failing device would say so)."""
        try:
            status = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise TourFailure(f'the game did not end within {timeout:.0f} s')
        self.output.close()
        log(f'{self.tag}: the game ended with status {status}')
        with open(self.output.name) as f:
            said = [line.rstrip('\n') for line in f if line.strip()]
        extra = [line for line in said if line not in STARTUP_LINES]
        if extra:
            raise TourFailure(f'the game printed {extra!r}')
        return status

    def kill(self):
        if self.alive():
            self.process.kill()
            self.process.wait()
        if not self.output.closed:
            self.output.close()

    # -- input, through XTEST like a real keyboard and mouse

    def xdotool(self, *args):
        subprocess.run(['xdotool', *args], env=self.screen.env, check=True)

    def park_pointer(self):
        self.xdotool('mousemove', str(SCREEN[0] - 4), '4')

    def hold(self, keys, seconds):
        """Holds keys for a while: longer than a frame, so the game sees them, whatever the
        load; the closed loops below correct how far that walks. One xdotool run times
        the hold itself: a busy machine may be slow to start a process."""
        self.xdotool('keydown', *keys, 'sleep', f'{seconds:.3f}', 'keyup', *keys)

    def tap(self, key, seconds=0.3):
        self.hold([key], seconds)
        time.sleep(0.1)

    def press(self, key, name, after, before, timeout=60.0, action=None):
        """Taps a key (or runs an action) and waits for the screen it leads to. A key that
        arrives while the game is between states never reaches it: while the screen still
        shows where the key was pressed, seconds later, it is pressed again."""
        deadline = time.monotonic() + timeout
        while True:
            (action or (lambda: self.tap(key)))()
            shot = self.wait_screen(name, after, timeout=4.0, give_up=True)
            if shot is not None:
                return shot
            if time.monotonic() > deadline:
                return self.wait_screen(name, after, timeout=0.0)
            if not before(self.shot())[0]:   # on its way somewhere: no second press
                return self.wait_screen(name, after, timeout=max(1.0, deadline - time.monotonic()))
            log(f'{self.tag}: {name}: the game missed the key; pressing it again')

    def click(self, x, y, name, resting):
        """Points at a spot of the window, waits until the game shows what resting there
        does, then clicks."""
        self.xdotool('mousemove', '--window', str(self.window.id), str(x), str(y))
        self.wait_screen(name, resting)
        self.xdotool('mousedown', '1', 'sleep', '0.25', 'mouseup', '1')
        time.sleep(0.15)
        self.park_pointer()

    def close_window(self):
        """What a window manager's close button does: ask, with WM_DELETE_WINDOW."""
        x = self.screen.x
        protocols = x.intern_atom('WM_PROTOCOLS')
        delete = x.intern_atom('WM_DELETE_WINDOW')
        advertised = self.window.get_wm_protocols() or []
        if delete not in advertised:
            raise TourFailure('the window does not take WM_DELETE_WINDOW')
        event = protocol.event.ClientMessage(window=self.window, client_type=protocols,
                                             data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        self.window.send_event(event, event_mask=X.NoEventMask)
        x.flush()

    # -- the captured mix

    def mark(self):
        """Where the mix has got to in the WAV file (bytes)."""
        try:
            return os.path.getsize(self.wav)
        except OSError:
            return 0

    def latest_peak(self, seconds=0.3):
        """The loudest sample of the last moments of the mix."""
        offset, mix = read_wav(self.wav)
        return int(np.abs(mix[-int(seconds * RATE):]).max()) if len(mix) else -1


# ---------------------------------------------------------------- what the screens look like

MENU_BG = None


def menu_background(shot):
    """The menu's own background in the margins nothing else covers."""
    left = match(shot[160:560, 0:110], MENU_BG[160:560, 0:110], 0, 0, shift=0)
    right = match(shot[160:560, 690:800], MENU_BG[160:560, 690:800], 0, 0, shift=0)
    return min(left, right)


ENTRY_ROWS = [200, 280, 360, 440, 520]   # screen rows of New game ... Quit


def menu_selection(shot):
    """The main-menu entry the arrow points at, or None."""
    lit = [bright(shot, 140, y - 20, 260, y + 20, level=200) for y in ENTRY_ROWS]
    k = int(np.argmax(lit))
    others = sorted(lit)[-2]
    return (k if lit[k] > 0.15 and others < 0.05 else None), lit


def main_menu(selected):
    def check(shot):
        background = menu_background(shot)
        k, lit = menu_selection(shot)
        return background > 0.9 and k == selected, f'background {background:.2f}, arrow at {k}'
    return check


def splash(shot):
    black = dark(shot, 0, 0, WIDTH, HEIGHT)
    halvard = match(shot, SPLASH_1, 100, 187, shift=0)
    ours = match(shot, SPLASH_2, 0, 0, shift=0)
    return max(halvard, ours) > 0.9, f'first logo {halvard:.2f}, second logo {ours:.2f}, black {black:.2f}'


def level_select(shot):
    background = menu_background(shot)
    label = match(shot, TUTORIAL_1, 200, 185, tolerance=32)
    # The main entries have gone (their right halves; the level's card stands further right).
    entries = bright(shot, 402, 250, 422, 540, level=200)
    return (background > 0.9 and label > 0.95 and entries < 0.01,
            f'background {background:.2f}, "Tutorial 1" label {label:.2f}, lit middle {entries:.2f}')


def server_tutorial_start(shot):
    hud = match(shot[0:60, 380:800], HUD_BAR[0:60, 380:800], 0, 0)
    wall = match(shot, WALL, 440, 440)   # a wall cell right of the starting room
    player = find_player(shot)
    near = player is not None and abs(player[0] - 140) < 8 and abs(player[1] - 340) < 8
    return (hud > 0.8 and wall > 0.8 and near,
            f'HUD {hud:.2f}, wall {wall:.2f}, hacker at {player}')


def same_as(reference, what):
    """The screen as it was: a level standing still, nothing over it."""
    def check(shot):
        share = float((np.abs(shot - reference).max(axis=2) <= 12).mean())
        return share > 0.99, f'{share:.3f} of the screen as {what}'
    return check


def win_screen(shot):
    shown = match(shot, WIN, 0, 0, shift=0)
    return shown > 0.97, f'win picture {shown:.2f}'


def pause_rows(shot, rows):
    """Per text row of the panel: the share of pixels that differ from the panel picture
    (any text: lit, grey, or nearly black, as dimmed entries get after a slow frame) and
    the share of white ones (a selected entry)."""
    text, white = [], []
    for row in rows:
        band = shot[row - 18:row + 18, 140:700]
        under = PAUSE_SCREEN[row - 18:row + 18, 140:700]
        text.append(float((np.abs(band - under).max(axis=2) > 12).mean()))
        white.append(float((band.min(axis=2) >= 235).mean()))
    return text, white


# Screen rows of the pages' text: the main entries stop a step above their place, 50 apart,
# but QUIT, still rising when the opening ends, 125 below OPTION; MUTE MUSIC and BACK; ARE YOU
# SURE, YES and NO. Then rows that must stay empty.
PAUSE_PAGES = {
    'main': ([126, 176, 226, 351], [301, 426]),
    'option': ([150, 200], [250, 300, 426]),
    'confirm': ([200, 300, 450], [250, 376]),
}


def pause_page(kind, selected=0):
    """The pause menu over the level: a black dimmer around the panel (the level showing
    through at a tenth), the page's text and nothing else, the selected entry white (on the
    confirmation YES, not NO)."""
    rows, empty = PAUSE_PAGES[kind]

    def check(shot):
        margin = min(dark(shot, 0, 0, 48, HEIGHT, 40), dark(shot, 752, 0, WIDTH, HEIGHT, 40))
        panel = match(shot[480:540, 60:740], PAUSE_SCREEN[480:540, 60:740], 0, 0, shift=0)
        text, white = pause_rows(shot, rows)
        blank, _ = pause_rows(shot, empty)
        seen = (f'dimmer {margin:.2f}, panel {panel:.2f}, text {[round(v, 2) for v in text]}, '
                f'white {[round(v, 2) for v in white]}, elsewhere {max(blank):.3f}')
        lit = [v > 0.05 for v in white]
        ok = margin > 0.97 and panel > 0.9 and min(text) > 0.03 and max(blank) < 0.01
        if kind == 'confirm':
            ok = ok and lit[1] and not lit[2]
        else:
            ok = ok and lit == [k == selected for k in range(len(rows))]
        return ok, seen
    return check


# ---------------------------------------------------------------- walking

# The server tutorial: the view is clamped to x 0..800 here; y follows the hacker between
# 300.5 and 559.5 and stands still beyond.
def world_position(screen_pos):
    sx, sy = screen_pos
    x = sx + 0.5
    if abs(sy - 300) <= 3:
        return x, None   # the camera follows: only "between" is known
    return x, (600.5 - sy if sy > 300 else 859.5 - sy)


def walk_to(game, target, tolerance=10.0, timeout=60.0):
    """Steers the hacker to a point of the world, one axis at a time, looking after every
    step: holding a key walks 200 units a second on the real clock, whatever the load."""
    deadline = time.monotonic() + timeout
    tx, ty = target
    while time.monotonic() < deadline:
        shot = game.shot()
        spot = find_player(shot)
        if spot is None:
            raise TourFailure(f'the hacker is not on the screen: {game.save(shot, "FAILED-walk")}')
        x, y = world_position(spot)
        if abs(tx - x) > tolerance:
            key, error = ('d' if tx > x else 'a'), abs(tx - x)
        elif y is None:
            key, error = ('w' if ty > 559.5 else 's'), 60.0
        elif abs(ty - y) > tolerance:
            key, error = ('w' if ty > y else 's'), abs(ty - y)
        else:
            return x, y
        # Most of the way, never past it: the next look corrects the rest.
        game.hold([key], max(0.05, min(1.0, 0.8 * error / 200.0)))
        time.sleep(0.1)
    raise TourFailure(f'the hacker did not reach {target}')


# ---------------------------------------------------------------- the tours

def enter_server_tutorial(game, by_mouse):
    """From the main menu to the server tutorial; returns where the mix was when the level
    was asked for and the level's first look, once settled."""
    if by_mouse:
        game.xdotool('mousemove', '--window', str(game.window.id), '400', '280')
        game.wait_screen('menu-pointing-at-level-select', main_menu(1))
        game.press(None, 'level-select', level_select, main_menu(1),
                   action=lambda: game.xdotool('mousedown', '1', 'sleep', '0.3', 'mouseup', '1'))
        game.park_pointer()
    else:
        game.press('s', 'menu-level-select-chosen', main_menu(1), main_menu(0))
        game.press('Return', 'level-select', level_select, main_menu(1))
    mark = game.mark()
    game.press('Return', 'server-tutorial', server_tutorial_start, level_select)
    time.sleep(1.0)
    return mark, game.shot()


def pause_choose(game, entry):
    for k in range(entry):
        game.press('s', f'pause-entry-{k + 1}', pause_page('main', k + 1), pause_page('main', k))


def full_tour(executable, out):
    marks = {}
    game = Game(SCREEN_X, executable, out, 'tour', sound=True)
    try:
        game.wait_window(60)
        splash_seen = time.monotonic()
        game.wait_screen('splash', splash, timeout=30)
        game.wait_screen('main-menu', main_menu(0), timeout=60)
        splash_time = time.monotonic() - splash_seen
        if splash_time < 2.0:
            raise TourFailure(f'the splash lasted only {splash_time:.1f} s')
        marks['menu'] = game.mark()
        time.sleep(2.5)   # menu music to listen to

        marks['level'], _ = enter_server_tutorial(game, by_mouse=True)
        marks['level-shown'] = game.mark()
        time.sleep(1.5)

        # Up the west corridor to the server at the top, behind the guard's back.
        walk_to(game, (120, 260))
        walk_to(game, (120, 660))
        game.wait_screen('hint', lambda s: (bright(s, 100, 130, 420, 170, level=230) > 0.02,
                                            f'hint text {bright(s, 100, 130, 420, 170, level=230):.3f}'))
        walk_to(game, (220, 660), tolerance=15)
        game.xdotool('keydown', 'space')
        try:
            # The progress ring shows for a second; a picture of it if this process keeps up.
            deadline = time.monotonic() + 5
            while time.monotonic() < deadline and game.title() != 'Win!':
                shot = game.shot()
                if hack_ring(shot) > 60:
                    log(f'tour: hacking -> {os.path.basename(game.save(shot, "hacking"))}')
                    break
                time.sleep(0.05)
            game.wait_title('Win!', timeout=30)
        finally:
            game.xdotool('keyup', 'space')
        game.wait_screen('win-screen', win_screen, timeout=30)
        game.xdotool('keydown', 'BackSpace')   # the win screen waits for it held
        try:
            game.wait_screen('main-menu-again', main_menu(0), timeout=30)
        finally:
            game.xdotool('keyup', 'BackSpace')
        if game.title() != 'Win!':
            raise TourFailure(f'after a win the title is "{game.title()}", not "Win!"')

        _, level = enter_server_tutorial(game, by_mouse=False)
        standing = same_as(level, 'the level')
        game.press('Escape', 'pause', pause_page('main', 0), standing)
        marks['paused'] = game.mark()
        time.sleep(1.0)   # the lowered music to listen to
        pause_choose(game, 2)
        game.press('Return', 'pause-option', pause_page('option', 0), pause_page('main', 2))
        marks['mute'] = game.mark()
        mute(game)
        game.wait_screen('pause-muted', pause_page('option', 0))   # the page stays
        game.press('s', 'pause-back-chosen', pause_page('option', 1), pause_page('option', 0))
        game.press('Return', 'pause-main-again', pause_page('main', 0), pause_page('option', 1))
        game.press('Return', 'resumed', standing, pause_page('main', 0))   # RESUME
        time.sleep(1.0)
        game.press('Escape', 'pause-to-quit', pause_page('main', 0), standing)
        pause_choose(game, 3)
        game.press('Return', 'pause-confirm', pause_page('confirm'), pause_page('main', 3))   # QUIT
        game.press('Return', 'main-menu-muted', main_menu(0), pause_page('confirm'))   # YES
        time.sleep(1.0)
        game.press('w', 'main-menu-quit-chosen', main_menu(4), main_menu(0))   # up from New game
        marks['quit'] = game.mark()
        quit_from(game, main_menu(4))
    finally:
        game.kill()
    check_sound(game.wav, marks, out)


def mute(game, timeout=60.0):
    """MUTE MUSIC: the page stays as it is, so listen: the mix falls silent."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        game.tap('Return')
        again = time.monotonic() + 4.0
        while time.monotonic() < again:
            if game.latest_peak() <= 4:
                log('tour: muted: the mix is silent')
                return
            time.sleep(0.2)
        log('tour: still music after MUTE MUSIC; pressing Enter again')
    raise TourFailure(f'the music still plays after MUTE MUSIC (peak {game.latest_peak()})')


def quit_from(game, menu, timeout=60.0):
    """Enter on Quit: the game ends, with status 0."""
    deadline = time.monotonic() + timeout
    while True:
        game.tap('Return')
        try:
            game.process.wait(timeout=4.0)
            break
        except subprocess.TimeoutExpired:
            if time.monotonic() > deadline or not menu(game.shot())[0]:
                break
            log('tour: the game missed Enter on Quit; pressing it again')
    status = game.wait_exit(max(1.0, deadline - time.monotonic()))
    if status != 0:
        raise TourFailure(f'quitting from the menu ended the game with status {status}')


def check_player_files(out):
    """The first run muted the music and won the server tutorial: both were saved."""
    home = os.path.join(out, 'home')
    for path, line in (('config/nullvane/settings.ini', 'music_muted = 1'),
                       ('data/nullvane/progress.ini', '[serverTutorial]\nwon = 1')):
        try:
            text = open(os.path.join(home, path)).read()
        except OSError as error:
            raise TourFailure(f'nothing saved: {error}')
        if line not in text:
            raise TourFailure(f'{path} lacks {line!r}:\n{text}')
        log(f'saved: {path} has {line!r}')


def close_tour(executable, out):
    game = Game(SCREEN_X, executable, out, 'close', sound=False)
    try:
        game.wait_window(60)
        game.wait_screen('splash', splash, timeout=30)
        time.sleep(2.5)
        game.tap('space')   # skips the splash after its first two seconds, does nothing after it
        game.wait_screen('main-menu', main_menu(0), timeout=60)
        enter_server_tutorial(game, by_mouse=False)
        game.close_window()
        status = game.wait_exit(30)
        if status != 0:
            raise TourFailure(f'closing the window ended the game with status {status}')
    finally:
        game.kill()


# ---------------------------------------------------------------- listening

def check_sound(path, marks, out):
    offset, mix = read_wav(path)
    mono = mix.astype(np.float64).sum(axis=1)
    seconds = len(mono) / RATE
    log(f'captured {seconds:.1f} s of sound in {os.path.basename(path)}')

    def at(name, plus=0.0):
        return max(0, (marks[name] - offset) // 4 + int(plus * RATE))

    def peak(a, b):
        return int(np.abs(mix[a:b]).max()) if b > a else -1

    menu_ref = decode_ogg(os.path.join(ASSETS, 'Music/BGM/menu.ogg'), out)
    level_ref = decode_ogg(os.path.join(ASSETS, 'Music/BGM/normal/normal_1.ogg'), out)
    failures = []

    def expect(holds, what):
        log(('ok   ' if holds else 'FAIL ') + what)
        if not holds:
            failures.append(what)

    def music(name, a, b, reference, other, since=None):
        """The stretch plays the given track and not the other; returns its gain."""
        loud = peak(a, b)
        expect(loud > 1500, f'{name}: music audible (peak {loud})')
        score, where, gain = best_match(mono[a:b], reference)
        wrong, _, _ = best_match(mono[a:b], other)
        expect(score > 0.9 and wrong < 0.6,
               f'{name}: the right track (match {score:.2f} at {where:.1f} s into it, gain {gain:.3f}; '
               f'the other track {wrong:.2f})')
        if since is not None:
            expect(where <= since + 1.5, f'{name}: started from its beginning ({where:.1f} s in, '
                   f'{since:.1f} s after the level started)')
        return gain

    music('main menu', at('menu', 0.3), at('menu', 2.0), menu_ref, level_ref)
    playing = music('server tutorial', at('level-shown', 0.3), at('level-shown', 2.0), level_ref, menu_ref,
                    since=(at('level-shown', 0.3) - at('level')) / RATE)
    # While paused the music goes on, lowered to 0.35 of its volume; between the menu's
    # opening clicks and the first key.
    score, _, lowered = best_match(mono[at('paused', 0.3):at('paused', 0.95)], level_ref)
    expect(score > 0.9 and 0.3 < lowered / playing < 0.4,
           f'paused: the level music goes on at {lowered / playing:.2f} of its volume (match {score:.2f})')
    silent = peak(at('mute', 1.0), at('quit'))
    expect(0 <= silent <= 4, f'muted: silent from the pause to the quit, back in the level and the menu (peak {silent})')
    if failures:
        raise TourFailure('the sound was wrong: ' + '; '.join(failures))


def main():
    global SCREEN_X, MENU_BG, SPLASH_1, SPLASH_2, TUTORIAL_1, HUD_BAR, WALL, WIN, PAUSE_SCREEN
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--game', required=True, help='the nullvane executable')
    parser.add_argument('--source', default='.', help='the repository root (the game reads its data there)')
    parser.add_argument('--out', required=True, help='folder for the screenshots and the captured sound')
    parser.add_argument('--only', choices=['tour', 'close'], help='run one of the two')
    args = parser.parse_args()
    executable = os.path.abspath(args.game)
    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)
    for old in os.listdir(out):   # an earlier tour's files, nothing else
        if old.startswith(('tour-', 'close-', 'tour.', 'close.')):
            os.remove(os.path.join(out, old))
    shutil.rmtree(os.path.join(out, 'home'), ignore_errors=True)
    os.chdir(args.source)

    MENU_BG = asset_rgb('menu_bg.png')
    SPLASH_1 = asset_rgb('logo/halvardLogo.png', (600, 225))
    SPLASH_2 = asset_rgb('logo/ourLogo.png', (800, 600))
    TUTORIAL_1 = asset_over('Tutorial1.png', MENU_BG, 200, 185)
    HUD_BAR = asset_rgb('hud.png', (800, 60))
    WALL = asset_rgb('Wall.png')
    WIN = asset_rgb('win.png', (800, 600))
    PAUSE_SCREEN = np.zeros((HEIGHT, WIDTH, 3), np.int16)
    PAUSE_SCREEN[50:550, 50:750] = asset_rgb('pause_bg.png', (700, 500))

    SCREEN_X = Screen()
    try:
        if args.only in (None, 'tour'):
            full_tour(executable, out)
            check_player_files(out)
        if args.only in (None, 'close'):
            close_tour(executable, out)
    except TourFailure as failure:
        log(f'TOUR FAILED: {failure}')
        log(f'screenshots and sound are in {out}')
        return 1
    finally:
        SCREEN_X.close()
    log(f'the tour passed; screenshots and sound are in {out}')
    return 0


if __name__ == '__main__':
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    sys.exit(main())
