package zarn.viewer;

import java.applet.Applet;
import java.applet.AppletContext;
import java.applet.AppletStub;
import java.applet.AudioClip;
import java.awt.BorderLayout;
import java.awt.Desktop;
import java.awt.Dimension;
import java.awt.EventQueue;
import java.awt.Frame;
import java.awt.Image;
import java.awt.Label;
import java.awt.Toolkit;
import java.awt.event.WindowAdapter;
import java.awt.event.WindowEvent;
import java.io.InputStream;
import java.net.URL;
import java.util.Collections;
import java.util.Enumeration;
import java.util.HashMap;
import java.util.Iterator;
import java.util.Locale;
import java.util.Map;
import java.util.Vector;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.TimeUnit;

/** One applet in a window of its own, with the stub and context a browser page would give it. */
@SuppressWarnings({"deprecation", "removal", "serial"})
final class AppletWindow implements AppletStub, AppletContext {

    /** Every window of the page, to answer getApplet and to know when the last one closed. */
    interface Page {
        Enumeration<Applet> applets();
        Applet applet(String name);
        void closed(AppletWindow window);
    }

    private final PageReader.AppletTag tag;
    private final URL documentBase;
    private final URL codeBase;
    private final Applet applet;
    private final Page page;
    private final Map<String, InputStream> streams = new HashMap<String, InputStream>();
    private final Map<URL, Image> images = new HashMap<URL, Image>();
    private Frame frame;
    private Label status;
    private volatile boolean active;
    private volatile boolean failed;
    private boolean closing;
    private volatile String note;
    private volatile String failure;
    private final CountDownLatch settled = new CountDownLatch(1);
    private ThreadGroup group;

    AppletWindow(PageReader.AppletTag tag, URL documentBase, URL codeBase, Applet applet, Page page) {
        this.tag = tag;
        this.documentBase = documentBase;
        this.codeBase = codeBase;
        this.applet = applet;
        this.page = page;
    }

    String name() {
        return tag.name;
    }

    Applet applet() {
        return applet;
    }

    boolean failed() {
        return failed;
    }

    boolean started() {
        return active;
    }

    /** A word about the page as a whole, for the status line once the applet has started. */
    void note(String text) {
        note = text;
    }

    void closeLater() {
        EventQueue.invokeLater(this::close);
    }

    /** Builds the window on the event thread, then runs init and start on a thread of the applet's own,
     *  as browsers did, so a slow init does not freeze the window. */
    void open(String title) {
        openIn(null, title, null);
    }

    /** As open, in `reused` when given (its place kept, its size the new applet's; its owner handles
     *  its close box), the applet's threads in `threads` when given. */
    void openIn(Frame reused, String title, ThreadGroup threads) {
        group = threads;
        EventQueue.invokeLater(() -> {
            if (reused != null) {
                frame = reused;
                frame.removeAll();
                frame.setTitle(title);
            } else
                frame = new Frame(title);
            status = new Label(Sandbox.summary()) {
                // However long the text, the window keeps the applet's size.
                @Override
                public Dimension getPreferredSize() {
                    return new Dimension(1, super.getPreferredSize().height);
                }
            };
            applet.setStub(this);
            applet.setPreferredSize(new Dimension(tag.width, tag.height));
            frame.setLayout(new BorderLayout());
            frame.add(applet, BorderLayout.CENTER);
            frame.add(status, BorderLayout.SOUTH);
            if (reused == null)
                frame.addWindowListener(new WindowAdapter() {
                    @Override
                    public void windowClosing(WindowEvent e) {
                        close();
                    }
                });
            frame.pack();
            frame.setVisible(true);
            Thread life = new Thread(group, this::run, "applet " + tag.code);
            life.setDaemon(true);
            life.start();
        });
    }

    private void run() {
        try {
            showStatus("Loading applet... " + Sandbox.summary());
            applet.init();
            EventQueue.invokeLater(applet::validate);
            applet.start();
            active = true;
            showStatus(note == null ? "Applet started." : "Applet started. " + note);
        } catch (Throwable error) {
            failure = error.toString();
            failed = true;
            System.err.println("zarn-viewer: " + tag.code + " failed to start:");
            error.printStackTrace();
            showStatus("Applet failed to start: " + error);
        } finally {
            settled.countDown();
        }
    }

    /** Null once the applet has started, why not once it failed; waits up to `millis` for either. */
    String outcome(long millis) throws InterruptedException {
        if (!settled.await(millis, TimeUnit.MILLISECONDS))
            return "it did not finish init and start within " + millis / 1000 + " s";
        return failure;
    }

    /** Stops and destroys the applet, leaving the window to its owner, and interrupts every thread the
     *  applet started. An applet that does not return from stop or destroy in `millis` is left behind. */
    void unload(long millis) throws InterruptedException {
        Thread end = new Thread(this::stopAndDestroy, "applet end " + tag.code);
        end.setDaemon(true);
        end.start();
        end.join(millis);
        if (end.isAlive())
            System.err.println("zarn-viewer: " + tag.code + " did not stop within " + millis / 1000 + " s");
        if (group != null)
            group.interrupt();
        synchronized (this) {
            streams.clear();
            images.clear();
        }
    }

    private void stopAndDestroy() {
        try {
            if (active) {
                active = false;
                applet.stop();
            }
            applet.destroy();
        } catch (Throwable error) {
            System.err.println("zarn-viewer: " + tag.code + " failed to stop:");
            error.printStackTrace();
        }
    }

    /** Stops and destroys the applet away from the event thread, then lets the window go. */
    private void close() {
        if (closing)
            return;
        closing = true;
        Watchdog.windowClosing();
        Thread end = new Thread(() -> {
            stopAndDestroy();
            EventQueue.invokeLater(() -> {
                frame.dispose();
                Watchdog.windowClosed();
                page.closed(this);
            });
        }, "applet end " + tag.code);
        end.setDaemon(true);
        end.start();
    }

    // AppletStub

    @Override
    public boolean isActive() {
        return active;
    }

    @Override
    public URL getDocumentBase() {
        return documentBase;
    }

    @Override
    public URL getCodeBase() {
        return codeBase;
    }

    @Override
    public String getParameter(String name) {
        return name == null ? null : tag.params.get(name.toLowerCase(Locale.ROOT));
    }

    @Override
    public AppletContext getAppletContext() {
        return this;
    }

    @Override
    public void appletResize(int width, int height) {
        EventQueue.invokeLater(() -> {
            applet.setPreferredSize(new Dimension(width, height));
            if (frame != null)
                frame.pack();
        });
    }

    // AppletContext

    @Override
    public AudioClip getAudioClip(URL url) {
        return Sandbox.forApplet(applet, url, tag.params.values(), bases(), () -> Applet.newAudioClip(url));
    }

    @Override
    public synchronized Image getImage(URL url) {
        Image image = images.get(url);
        if (image == null) {
            image = Sandbox.forApplet(applet, url, tag.params.values(), bases(),
                                      () -> Toolkit.getDefaultToolkit().createImage(url));
            images.put(url, image);
        }
        return image;
    }

    private URL[] bases() {
        return new URL[] {codeBase, documentBase};
    }

    @Override
    public Applet getApplet(String name) {
        return page.applet(name);
    }

    @Override
    public Enumeration<Applet> getApplets() {
        return page.applets();
    }

    @Override
    public void showDocument(URL url) {
        showDocument(url, "_self");
    }

    @Override
    public void showDocument(URL url, String target) {
        try {
            if (!Desktop.isDesktopSupported() || !Desktop.getDesktop().isSupported(Desktop.Action.BROWSE))
                throw new UnsupportedOperationException("no browser is known to the desktop");
            // Links to web pages open as in any browser; other targets need the applet's own rights.
            if (url.getProtocol().equals("http") || url.getProtocol().equals("https"))
                java.security.AccessController.doPrivileged(
                    (java.security.PrivilegedExceptionAction<Void>) () -> {
                        Desktop.getDesktop().browse(url.toURI());
                        return null;
                    });
            else
                Desktop.getDesktop().browse(url.toURI());
        } catch (Exception error) {
            System.err.println("zarn-viewer: cannot show " + url + ": " + error.getMessage());
            showStatus("Cannot show " + url);
        }
    }

    @Override
    public void showStatus(String text) {
        final String shown = text == null || text.isEmpty() ? " " : text;
        EventQueue.invokeLater(() -> {
            if (status != null)
                status.setText(shown);
        });
    }

    @Override
    public synchronized void setStream(String key, InputStream stream) {
        if (stream == null)
            streams.remove(key);
        else
            streams.put(key, stream);
    }

    @Override
    public synchronized InputStream getStream(String key) {
        return streams.get(key);
    }

    @Override
    public synchronized Iterator<String> getStreamKeys() {
        return Collections.unmodifiableSet(new java.util.HashSet<String>(streams.keySet())).iterator();
    }

    static Enumeration<Applet> enumerate(Iterable<AppletWindow> windows) {
        Vector<Applet> list = new Vector<Applet>();
        for (AppletWindow window : windows)
            list.add(window.applet);
        return list.elements();
    }
}
