import java.applet.Applet;
import java.awt.Component;
import java.awt.EventQueue;
import java.awt.Window;
import java.awt.event.WindowEvent;
import java.io.FileInputStream;
import java.io.FileOutputStream;
import java.io.InputStream;
import java.io.OutputStream;
import java.net.InetSocketAddress;
import java.net.Socket;

/** Tries what a sandbox forbids and prints one line each on stdout: "write: allowed", "read: denied
 *  (why)"... The file to write, the file to read and the port to connect to are its parameters. */
@SuppressWarnings({"deprecation", "removal", "serial"})
public class SandboxApplet extends Applet {

    private interface Attempt {
        void run() throws Exception;
    }

    private static void report(String what, Attempt attempt) {
        String result;
        try {
            attempt.run();
            result = "allowed";
        } catch (Exception | Error e) {
            result = "denied (" + e + ")";
        }
        System.out.println(what + ": " + result);
    }

    @Override
    public void start() {
        report("write", () -> {
            try (OutputStream out = new FileOutputStream(getParameter("write"))) {
                out.write('x');
            }
        });
        report("read", () -> {
            try (InputStream in = new FileInputStream(getParameter("read"))) {
                in.read();
            }
        });
        report("process", () -> new ProcessBuilder("/bin/sh", "-c", "exit 0").start().waitFor());
        report("socket", () -> {
            try (Socket socket = new Socket()) {
                socket.connect(new InetSocketAddress("127.0.0.1", Integer.parseInt(getParameter("port"))), 5000);
            }
        });
        System.out.flush();
        EventQueue.invokeLater(() -> {
            Component c = this;
            while (c != null && !(c instanceof Window))
                c = c.getParent();
            if (c != null)
                c.dispatchEvent(new WindowEvent((Window) c, WindowEvent.WINDOW_CLOSING));
        });
    }
}
