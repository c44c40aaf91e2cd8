package zarn.viewer;

import java.applet.Applet;
import java.awt.AWTEvent;
import java.awt.BorderLayout;
import java.awt.EventQueue;
import java.awt.Frame;
import java.awt.Label;
import java.awt.TextArea;
import java.awt.Toolkit;
import java.awt.event.WindowAdapter;
import java.awt.event.WindowEvent;
import java.io.BufferedReader;
import java.io.ByteArrayInputStream;
import java.io.IOException;
import java.io.InputStreamReader;
import java.io.PrintStream;
import java.lang.reflect.InvocationTargetException;
import java.net.URL;
import java.net.URLConnection;
import java.nio.charset.StandardCharsets;
import java.util.Enumeration;
import java.util.Vector;
import java.util.concurrent.atomic.AtomicBoolean;

/**
 * The viewer kept running for an editor: one window, whose applet is replaced by each page that
 * arrives. Requests come on standard input, one a line:
 *   page PATH   stop and destroy the applet shown, then show the first applet of the page
 *   heap        answer the heap in use after a full collection
 * Each answer is one line on standard output starting with "zarn-live: ": "started CLASS",
 * "failed REASON", "heap N KB", with --timing "reloaded CLASS in N ms" once a new applet first
 * painted, and "refused REASON" when live mode cannot keep applets apart here. The end of the input
 * or the window's close box ends the viewer.
 */
@SuppressWarnings({"deprecation", "removal", "serial"})
final class LiveSession implements AppletWindow.Page {

    static final String ANSWER = "zarn-live: ";
    private static final long START_MILLIS = 20000;
    private static final long STOP_MILLIS = 3000;

    private final Sandbox.Options options;
    private final boolean timing;
    // Taken before any applet runs: applets see an empty input and write to stderr, so none can
    // read a request or forge an answer.
    private final PrintStream channel = System.out;
    private final BufferedReader requests =
        new BufferedReader(new InputStreamReader(System.in, StandardCharsets.UTF_8));
    private final AtomicBoolean ending = new AtomicBoolean();
    private Frame frame;
    private volatile AppletWindow current;
    private AppletLoader currentLoader;
    private volatile Applet awaitingPaint;
    private volatile long pageArrivedAt;
    private int serial;

    LiveSession(Sandbox.Options options, boolean timing) {
        this.options = options;
        this.timing = timing;
    }

    void run() throws Main.Failure {
        Main.checkDisplay();
        String refusal = Sandbox.enterLive(options);
        if (refusal != null) {
            answer("refused " + refusal);
            throw new Main.Failure(Main.EXIT_NO_LIVE, refusal);
        }
        System.setOut(System.err);
        System.setIn(new ByteArrayInputStream(new byte[0]));
        // A rebuilt archive must be read again, not served from the runtime's cache of open jars.
        try {
            URLConnection any = new URL("file:/").openConnection();
            any.setDefaultUseCaches(false);
        } catch (IOException e) {
            System.err.println("zarn-viewer: archives may be cached: " + e.getMessage());
        }
        Watchdog.start(Main.EXIT_APPLET_FAILED);
        Toolkit.getDefaultToolkit().addAWTEventListener(this::painted, AWTEvent.PAINT_EVENT_MASK);
        try {
            for (String line; (line = requests.readLine()) != null;)
                handle(line.trim());
        } catch (IOException e) {
            System.err.println("zarn-viewer: the channel failed: " + e.getMessage());
        }
        end();
    }

    private void answer(String text) {
        synchronized (channel) {
            channel.println(ANSWER + text.replace('\r', ' ').replace('\n', ' '));
            channel.flush();
        }
    }

    private synchronized void handle(String request) {
        if (ending.get() || request.isEmpty())
            return;
        if (request.equals("heap")) {
            answer("heap " + heapKB() + " KB");
            return;
        }
        if (!request.startsWith("page ")) {
            answer("failed unknown request: " + request);
            return;
        }
        pageArrivedAt = System.nanoTime();
        try {
            unload();
            AppletWindow window = load(request.substring("page ".length()).trim());
            String name = window.applet().getClass().getName();
            String why = window.outcome(START_MILLIS);
            if (why == null) {
                answer("started " + name);
            } else {
                EventQueue.invokeLater(() -> frame.setTitle("Applet viewer: " + name + " failed: " + why));
                answer("failed " + name + ": " + why);
            }
        } catch (Main.Failure failure) {
            show(failure.getMessage());
            answer("failed " + failure.getMessage());
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
    }

    private AppletWindow load(String path) throws Main.Failure, InterruptedException {
        URL pageURL = Main.pageURL(path);
        PageReader.Page page = PageReader.read(PageSource.read(pageURL), pageURL);
        if (page.applets.isEmpty())
            throw new Main.Failure(Main.EXIT_NO_APPLET, "no <APPLET> on the page " + path);
        PageReader.AppletTag tag = page.applets.get(0);
        URL codeBase = Main.codeBase(page, tag);
        Class<?> type = Main.appletClass(tag, codeBase, options.trusted);
        AppletLoader loader = (AppletLoader) type.getClassLoader();
        Applet applet;
        try {
            applet = Main.instantiate(tag, type);
        } catch (Main.Failure failure) {
            close(loader);
            throw failure;
        }
        AppletWindow window = new AppletWindow(tag, page.documentBase, codeBase, applet, this);
        if (page.applets.size() > 1)
            window.note("Live preview shows the first applet of the page.");
        onEventThread(this::ensureFrame);
        // A group of its own, so that every thread the applet starts can be interrupted when it goes.
        ThreadGroup threads = new ThreadGroup("applet " + ++serial + " " + type.getName());
        threads.setDaemon(true);
        current = window;
        currentLoader = loader;
        awaitingPaint = applet;
        window.openIn(frame, "Applet viewer: " + type.getName(), threads);
        return window;
    }

    private void unload() throws InterruptedException {
        AppletWindow old = current;
        AppletLoader oldLoader = currentLoader;
        current = null;
        currentLoader = null;
        awaitingPaint = null;
        if (old != null)
            old.unload(STOP_MILLIS);
        if (frame != null)
            onEventThread(frame::removeAll);
        close(oldLoader);
    }

    private static void close(AppletLoader loader) {
        try {
            if (loader != null)
                loader.close();
        } catch (IOException e) {
            System.err.println("zarn-viewer: " + e.getMessage());
        }
    }

    private void ensureFrame() {
        if (frame != null)
            return;
        frame = new Frame("Applet viewer");
        frame.setLayout(new BorderLayout());
        frame.addWindowListener(new WindowAdapter() {
            @Override
            public void windowClosing(WindowEvent e) {
                Thread end = new Thread(LiveSession.this::end, "live preview end");
                end.setDaemon(true);
                end.start();
            }
        });
    }

    /** The window tells why no applet shows. */
    private void show(String why) {
        try {
            onEventThread(() -> {
                ensureFrame();
                frame.removeAll();
                frame.setTitle("Applet viewer: failed: " + why);
                TextArea text = new TextArea(why, 4, 60, TextArea.SCROLLBARS_VERTICAL_ONLY);
                text.setEditable(false);
                frame.add(text, BorderLayout.CENTER);
                frame.add(new Label(Sandbox.summary()), BorderLayout.SOUTH);
                frame.pack();
                frame.setVisible(true);
            });
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
    }

    private void painted(AWTEvent event) {
        Applet applet = awaitingPaint;
        if (applet == null || event.getSource() != applet)
            return;
        awaitingPaint = null;
        if (!timing)
            return;
        long arrivedAt = pageArrivedAt;
        String name = applet.getClass().getName();
        // Listeners hear of the event before the applet paints; this runs once it has.
        EventQueue.invokeLater(
            () -> answer("reloaded " + name + " in " + (System.nanoTime() - arrivedAt) / 1000000 + " ms"));
    }

    private static long heapKB() {
        Runtime runtime = Runtime.getRuntime();
        for (int i = 0; i < 3; i++)
            System.gc();
        return (runtime.totalMemory() - runtime.freeMemory()) / 1024;
    }

    private static void onEventThread(Runnable action) throws InterruptedException {
        if (EventQueue.isDispatchThread()) {
            action.run();
            return;
        }
        try {
            EventQueue.invokeAndWait(action);
        } catch (InvocationTargetException e) {
            throw new IllegalStateException(e.getCause());
        }
    }

    /** Once: the applet shown stops, then the viewer ends. */
    private void end() {
        if (!ending.compareAndSet(false, true))
            return;
        // Should the event thread be blocked, the watchdog ends the viewer after its grace time.
        Watchdog.endAsked();
        synchronized (this) {
            try {
                unload();
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
            }
        }
        Sandbox.exit(Main.EXIT_OK);
    }

    @Override
    public Enumeration<Applet> applets() {
        Vector<Applet> list = new Vector<Applet>();
        AppletWindow window = current;
        if (window != null)
            list.add(window.applet());
        return list.elements();
    }

    @Override
    public Applet applet(String name) {
        AppletWindow window = current;
        return window != null && window.name() != null && window.name().equalsIgnoreCase(name) ? window.applet() : null;
    }

    @Override
    public void closed(AppletWindow window) {
        // The window belongs to the session; its close box ends the viewer.
    }
}
