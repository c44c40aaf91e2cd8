import java.applet.Applet;
import java.awt.Component;
import java.awt.EventQueue;
import java.awt.Window;
import java.awt.event.WindowEvent;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.OutputStreamWriter;
import java.io.Writer;
import java.nio.charset.StandardCharsets;

/** Writes what the viewer gives it to the file named by its "out" parameter, then closes its window,
 *  so the test sees the values and the viewer's clean exit. "fail" makes init raise an error. */
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
            closeWindow();
            throw new IllegalStateException("asked to fail");
        }
        for (String name : new String[] {"greeting", "GREETING", "Entities", "unquoted", "missing"})
            write("param " + name + "=" + getParameter(name));
        write("codebase=" + getCodeBase());
        write("documentbase=" + getDocumentBase());
        write("size=" + getWidth() + "x" + getHeight());
        write("context=" + (getAppletContext() != null));
    }

    @Override
    public void start() {
        write("start");
        showStatus("probe started");
        if (getParameter("stay") == null)
            closeWindow();
    }

    private void closeWindow() {
        EventQueue.invokeLater(() -> {
            Component c = this;
            while (c != null && !(c instanceof Window))
                c = c.getParent();
            if (c != null)
                c.dispatchEvent(new WindowEvent((Window) c, WindowEvent.WINDOW_CLOSING));
        });
    }

    @Override
    public void stop() {
        write("stop");
    }

    @Override
    public void destroy() {
        write("destroy");
    }
}
