import java.applet.Applet;
import java.awt.Component;
import java.awt.EventQueue;
import java.awt.Label;
import java.awt.Toolkit;
import java.awt.Window;
import java.awt.event.WindowEvent;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.OutputStreamWriter;
import java.io.Writer;
import java.nio.charset.StandardCharsets;

/** Writes what the viewer gives it to the file named by its "out" parameter, then closes its window,
 *  so the test sees the values and the viewer's clean exit. "fail" makes init raise an error; "stay"
 *  keeps the window open; "status" writes the window's status line on stop; "block" blocks the event
 *  thread for good, and "block=close" then clicks the window's close box as a user would; "thread"
 *  starts a thread that waits until it is interrupted and says so. */
@SuppressWarnings({"deprecation", "removal", "serial"})
public class ProbeApplet extends Applet {
    private String out;

    private void write(String line) {
        try (Writer writer = new OutputStreamWriter(new FileOutputStream(out, true), StandardCharsets.UTF_8)) {
            writer.write(line + "\n");
        } catch (IOException e) {
            throw new RuntimeException(e);
        }
    }

    @Override
    public void init() {
        out = getParameter("OUT");
        if (getParameter("fail") != null) {
            if (getParameter("stay") == null)
                closeWindow();
            throw new IllegalStateException("asked to fail");
        }
        for (String name : new String[] {"greeting", "GREETING", "Entities", "unquoted", "missing"})
            write("param " + name + "=" + getParameter(name));
        write("codebase=" + getCodeBase());
        write("documentbase=" + getDocumentBase());
        write("size=" + getWidth() + "x" + getHeight());
        write("context=" + (getAppletContext() != null));
        if (getParameter("big") != null)
            write("big length=" + getParameter("big").length());
    }

    @Override
    public void start() {
        write("start");
        showStatus("probe started");
        if (getParameter("thread") != null)
            new Thread(() -> {
                try {
                    Thread.sleep(Long.MAX_VALUE);
                } catch (InterruptedException e) {
                    write("thread interrupted");
                }
            }).start();
        String block = getParameter("block");
        if (block != null) {
            EventQueue.invokeLater(() -> {
                try {
                    Thread.sleep(Long.MAX_VALUE);
                } catch (InterruptedException e) {
                    Thread.currentThread().interrupt();
                }
            });
            Window window = window();
            if (block.equals("close") && window != null)
                Toolkit.getDefaultToolkit().getSystemEventQueue().postEvent(
                    new WindowEvent(window, WindowEvent.WINDOW_CLOSING));
        } else if (getParameter("stay") == null) {
            closeWindow();
        }
    }

    private Window window() {
        Component c = this;
        while (c != null && !(c instanceof Window))
            c = c.getParent();
        return (Window) c;
    }

    private void closeWindow() {
        EventQueue.invokeLater(() -> {
            Window window = window();
            if (window != null)
                window.dispatchEvent(new WindowEvent(window, WindowEvent.WINDOW_CLOSING));
        });
    }

    @Override
    public void stop() {
        if (getParameter("status") != null && window() != null)
            for (Component c : window().getComponents())
                if (c instanceof Label)
                    write("status=" + ((Label) c).getText());
        write("stop");
    }

    @Override
    public void destroy() {
        write("destroy");
    }
}
