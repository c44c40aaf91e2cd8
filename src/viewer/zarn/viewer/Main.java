package zarn.viewer;

import java.applet.Applet;
import java.awt.AWTError;
import java.awt.GraphicsEnvironment;
import java.awt.HeadlessException;
import java.awt.Toolkit;
import java.io.File;
import java.net.MalformedURLException;
import java.net.URL;
import java.net.URLClassLoader;
import java.nio.charset.Charset;
import java.util.ArrayList;
import java.util.Enumeration;
import java.util.List;

/**
 * The ZARN applet viewer: shows every applet of a page, each in a window of the tag's size, and
 * ends when the last window is closed.
 *
 * Exit codes (stderr says why):
 *   0  every window was closed
 *   2  wrong arguments
 *   3  the page cannot be read (also: a folder, a pipe or a device, more than 16 MB, no answer in time)
 *   4  the page holds no applet
 *   5  an applet's class cannot be found, is not a valid class file, or is not an applet, or it comes
 *      from the network and the document does not trust it (--trusted)
 *   6  no display to show the applet on
 *   7  an applet failed in init or start (its windows were then closed), or blocked the event thread
 *      so that its window could not close (the viewer ended after a grace time)
 *  8  --live where the applets could only be kept apart by running the viewer again in bubblewrap
 *
 * With --live the viewer takes pages on its standard input instead, one at a time in one window (see
 * LiveSession), and ends with 0 when its input ends or its window is closed.
 */
@SuppressWarnings({"deprecation", "removal"})
public final class Main implements AppletWindow.Page {

    static final int EXIT_OK = 0;
    static final int EXIT_USAGE = 2;
    static final int EXIT_PAGE = 3;
    static final int EXIT_NO_APPLET = 4;
    static final int EXIT_CLASS = 5;
    static final int EXIT_NO_DISPLAY = 6;
    static final int EXIT_APPLET_FAILED = 7;
    static final int EXIT_NO_LIVE = 8;

    /** More windows would bury the desktop; a page rarely holds more than a few applets. */
    static final int MAX_APPLETS = 16;

    /** A failure that ends the viewer with its code. */
    static final class Failure extends Exception {
        private static final long serialVersionUID = 1L;
        final int code;

        Failure(int code, String message) {
            super(message);
            this.code = code;
        }
    }

    private final List<AppletWindow> windows = new ArrayList<AppletWindow>();
    private boolean anyFailed;

    public static void main(String[] args) {
        PageSource.setNetworkTimeouts();
        try {
            new Main().run(args);
        } catch (Failure failure) {
            System.err.println("zarn-viewer: " + failure.getMessage());
            System.exit(failure.code);
        }
    }

    private void run(String[] args) throws Failure {
        Sandbox.Options options = new Sandbox.Options();
        args = options.take(args);
        List<String> rest = new ArrayList<String>();
        boolean live = false, timing = false;
        for (String arg : args) {
            live |= arg.equals("--live");
            timing |= arg.equals("--timing");
            if (!arg.equals("--live") && !arg.equals("--timing"))
                rest.add(arg);
        }
        args = rest.toArray(new String[0]);
        if (live) {
            if (args.length != 0)
                throw new Failure(EXIT_USAGE, "--live takes its pages on standard input, not as arguments");
            new LiveSession(options, timing).run();
            return;
        }
        String[] viewerArgs = args;
        boolean quitAfterShow = args.length == 2 && args[0].equals("--quit-after-show");
        if (quitAfterShow)
            args = new String[] {args[1]};
        if (args.length != 1 || args[0].isEmpty())
            throw new Failure(EXIT_USAGE, "usage: java -jar zarn-viewer.jar [--trusted] [--sandbox=bwrap] [--quit-after-show] PAGE (a file or a URL)"
                                           + ", or [--trusted] [--timing] --live");
        URL pageURL = pageURL(args[0]);
        PageReader.Page page = PageReader.read(PageSource.read(pageURL), pageURL);
        if (page.applets.isEmpty())
            throw new Failure(EXIT_NO_APPLET, "no <APPLET> on the page " + args[0]);
        String note = null;
        if (page.applets.size() > MAX_APPLETS) {
            int left = page.applets.size() - MAX_APPLETS;
            page.applets.subList(MAX_APPLETS, page.applets.size()).clear();
            note = left + (left == 1 ? " more applet of the page was" : " more applets of the page were")
                   + " not opened (" + MAX_APPLETS + " at most).";
            System.err.println("zarn-viewer: " + note);
        }

        List<Class<?>> classes = new ArrayList<Class<?>>();
        List<URL> codeBases = new ArrayList<URL>();
        for (PageReader.AppletTag tag : page.applets) {
            URL codeBase = codeBase(page, tag);
            codeBases.add(codeBase);
            classes.add(appletClass(tag, codeBase, options.trusted));
        }
        checkDisplay();
        List<AppletLoader> loaders = new ArrayList<AppletLoader>();
        for (Class<?> type : classes)
            loaders.add((AppletLoader) type.getClassLoader());
        Sandbox.enter(options, pageURL, loaders, viewerArgs);
        Watchdog.start(EXIT_APPLET_FAILED);

        synchronized (this) {
            for (int i = 0; i < page.applets.size(); i++) {
                PageReader.AppletTag tag = page.applets.get(i);
                Applet applet = instantiate(tag, classes.get(i));
                AppletWindow window = new AppletWindow(tag, page.documentBase, codeBases.get(i), applet, this);
                window.note(note);
                windows.add(window);
            }
            for (AppletWindow window : windows)
                window.open("Applet viewer: " + window.applet().getClass().getName());
        }
        if (quitAfterShow) {
            Thread quit = new Thread(this::quitAfterShow, "quit after show");
            quit.setDaemon(true);
            quit.start();
        }
    }

    /** For scripts and tests: once every applet has started and shown for a moment, says which
     *  windows showed and closes them all, so the exit code tells how the applets fared. */
    private void quitAfterShow() {
        List<AppletWindow> open;
        synchronized (this) {
            open = new ArrayList<AppletWindow>(windows);
        }
        try {
            long deadline = System.currentTimeMillis() + 30000;
            for (AppletWindow window : open)
                while (!window.started() && !window.failed() && System.currentTimeMillis() < deadline)
                    Thread.sleep(50);
            // Long enough for the first frames of an animation, and for a fault in them to surface.
            Thread.sleep(1500);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
        Watchdog.endAsked();
        for (AppletWindow window : open) {
            if (window.started() && window.applet().isShowing())
                System.err.println("zarn-viewer: shown: " + window.applet().getClass().getName() + " "
                                   + window.applet().getWidth() + "x" + window.applet().getHeight());
            else if (!window.failed())
                System.err.println("zarn-viewer: " + window.applet().getClass().getName() + " did not show");
            window.closeLater();
        }
    }

    static URL pageURL(String argument) throws Failure {
        // A scheme of two letters or more is a URL; anything else (a drive letter too) is a file.
        int colon = argument.indexOf(':');
        if (colon > 1 && argument.substring(0, colon).matches("[A-Za-z][A-Za-z0-9+.-]*")) {
            try {
                return new URL(argument);
            } catch (MalformedURLException e) {
                throw new Failure(EXIT_PAGE, "the page " + argument + " is no valid URL: " + e.getMessage());
            }
        }
        try {
            return new File(argument).getAbsoluteFile().toURI().toURL();
        } catch (MalformedURLException e) {
            throw new Failure(EXIT_PAGE, "the page " + argument + " is no valid path: " + e.getMessage());
        }
    }

    /** CODEBASE against the page's base, always ending in "/" so class names resolve inside it. */
    static URL codeBase(PageReader.Page page, PageReader.AppletTag tag) throws Failure {
        String text = tag.codeBase == null || tag.codeBase.trim().isEmpty() ? "./" : tag.codeBase.trim();
        if (!text.endsWith("/"))
            text += "/";
        try {
            return new URL(page.base, text);
        } catch (MalformedURLException e) {
            throw new Failure(EXIT_CLASS, "the code base \"" + tag.codeBase + "\" is no valid URL: " + e.getMessage());
        }
    }

    static Class<?> appletClass(PageReader.AppletTag tag, URL codeBase, boolean trusted) throws Failure {
        if (tag.code == null || tag.code.trim().isEmpty())
            throw new Failure(EXIT_CLASS, "an <APPLET> names no CODE");
        String name = tag.code.trim();
        if (name.endsWith(".class"))
            name = name.substring(0, name.length() - ".class".length());
        name = name.replace('/', '.');

        List<URL> path = new ArrayList<URL>();
        if (tag.archive != null) {
            for (String archive : tag.archive.split(",")) {
                if (archive.trim().isEmpty())
                    continue;
                try {
                    path.add(new URL(codeBase, archive.trim()));
                } catch (MalformedURLException e) {
                    throw new Failure(EXIT_CLASS, "the archive \"" + archive.trim() + "\" is no valid URL");
                }
            }
        }
        path.add(codeBase);
        // One loader per applet, left open for the applet's classes and resources while it runs.
        AppletLoader loader = new AppletLoader(path.toArray(new URL[0]), codeBase, Main.class.getClassLoader());
        if (!trusted && AppletLoader.refusal(loader.getURLs()) != null)
            throw new Failure(EXIT_CLASS, "class " + name + ": " + AppletLoader.refusal(loader.getURLs()));
        Class<?> loaded;
        try {
            loaded = Class.forName(name, false, loader);
        } catch (ClassNotFoundException e) {
            throw new Failure(EXIT_CLASS, "class " + name + " not found in " + path);
        } catch (UnsupportedClassVersionError e) {
            throw new Failure(EXIT_CLASS, "class " + name + " needs a newer Java than " + System.getProperty("java.version")
                                              + ": " + e.getMessage());
        } catch (ClassFormatError e) {
            // Found, but its bytes are no class: a damaged upload, a text file under a class name.
            throw new Failure(EXIT_CLASS, "class " + name + " is not a valid class file: " + e.getMessage());
        } catch (LinkageError e) {
            throw new Failure(EXIT_CLASS, "class " + name + " cannot be loaded: " + e);
        }
        if (!Applet.class.isAssignableFrom(loaded))
            throw new Failure(EXIT_CLASS, "class " + name + " is not an applet (it does not extend java.applet.Applet)");
        return loaded;
    }

    static void checkDisplay() throws Failure {
        if (GraphicsEnvironment.isHeadless())
            throw new Failure(EXIT_NO_DISPLAY, "no display to show the applet on (the runtime is headless; is DISPLAY set?)");
        try {
            Toolkit.getDefaultToolkit().getScreenSize();
        } catch (AWTError | HeadlessException | InternalError | UnsatisfiedLinkError e) {
            throw new Failure(EXIT_NO_DISPLAY, "no display to show the applet on: " + e.getMessage()
                                                   + " (windows need the full Java runtime, not the headless one)");
        }
    }

    static Applet instantiate(PageReader.AppletTag tag, Class<?> type) throws Failure {
        try {
            return (Applet) type.getDeclaredConstructor().newInstance();
        } catch (ReflectiveOperationException | RuntimeException | LinkageError e) {
            Throwable cause = e.getCause() != null ? e.getCause() : e;
            throw new Failure(EXIT_CLASS, "class " + type.getName() + " cannot be made: " + cause);
        }
    }

    @Override
    public synchronized Enumeration<Applet> applets() {
        return AppletWindow.enumerate(windows);
    }

    @Override
    public synchronized Applet applet(String name) {
        for (AppletWindow window : windows)
            if (window.name() != null && window.name().equalsIgnoreCase(name))
                return window.applet();
        return null;
    }

    @Override
    public synchronized void closed(AppletWindow window) {
        windows.remove(window);
        anyFailed |= window.failed();
        if (windows.isEmpty())
            Sandbox.exit(anyFailed ? EXIT_APPLET_FAILED : EXIT_OK);
    }
}
