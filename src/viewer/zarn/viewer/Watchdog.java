package zarn.viewer;

import java.awt.EventQueue;
import java.awt.Toolkit;
import java.awt.event.WindowEvent;
import java.util.concurrent.atomic.AtomicInteger;

/** Ends the viewer when closing was asked for but the event thread, which closes windows, stays
 *  blocked: an applet sleeping in paint or in an event handler would otherwise keep its window, and
 *  the viewer, forever. */
final class Watchdog {

    /** How long the event thread may stay silent once closing was asked for. */
    static final long GRACE_MILLIS = 3000;
    private static final long TICK_MILLIS = 100;

    private static volatile boolean endAsked;
    private static final AtomicInteger windowsClosing = new AtomicInteger();
    private static volatile long lastAnswerAt;

    private Watchdog() {
    }

    /** Every window is to close, asked for off the event thread (which may never see it). */
    static void endAsked() {
        endAsked = true;
    }

    /** A window began to close; its end runs on the event thread once the applet stopped. */
    static void windowClosing() {
        windowsClosing.incrementAndGet();
    }

    static void windowClosed() {
        windowsClosing.decrementAndGet();
    }

    static void start(int exitCode) {
        // Taken here, on the viewer's own thread, before any applet code has run.
        EventQueue queue = Toolkit.getDefaultToolkit().getSystemEventQueue();
        Thread watch = new Thread(() -> watch(queue, exitCode), "event thread watchdog");
        watch.setDaemon(true);
        watch.start();
    }

    private static void watch(EventQueue queue, int exitCode) {
        lastAnswerAt = System.nanoTime();
        long probeAt = lastAnswerAt;
        long closingSince = 0;
        try {
            while (true) {
                long now = System.nanoTime();
                if (lastAnswerAt - probeAt >= 0) {
                    probeAt = now;
                    EventQueue.invokeLater(() -> lastAnswerAt = System.nanoTime());
                }
                // A click on a window's close box waits in the queue as an event the blocked thread never takes.
                boolean closing = endAsked || windowsClosing.get() > 0
                                  || queue.peekEvent(WindowEvent.WINDOW_CLOSING) != null;
                if (!closing)
                    closingSince = 0;
                else if (closingSince == 0)
                    closingSince = now;
                if (closing) {
                    long silentSince = lastAnswerAt - closingSince > 0 ? lastAnswerAt : closingSince;
                    if ((now - silentSince) / 1000000 >= GRACE_MILLIS) {
                        System.err.println("zarn-viewer: an applet blocks the event thread, so its window cannot close;"
                                           + " the viewer ends after " + GRACE_MILLIS / 1000 + " s");
                        // Not exit: the window system's shutdown hooks may wait for the blocked thread.
                        Runtime.getRuntime().halt(exitCode);
                    }
                }
                Thread.sleep(TICK_MILLIS);
            }
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
    }
}
