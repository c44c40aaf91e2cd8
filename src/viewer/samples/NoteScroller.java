import java.applet.Applet;
import java.awt.AWTEvent;
import java.awt.Color;
import java.awt.Dimension;
import java.awt.Font;
import java.awt.FontMetrics;
import java.awt.Graphics;
import java.awt.Image;
import java.awt.MediaTracker;
import java.awt.event.MouseEvent;
import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStreamReader;
import java.net.URL;
import java.nio.charset.Charset;
import java.util.ArrayList;
import java.util.List;

/** The note pad of the Text templates: the lines of a text file, named by "textfile" relative to
 *  the page, scrolling slowly upwards over a paper picture. */
@SuppressWarnings({"deprecation", "removal", "serial"})
public class NoteScroller extends Applet implements Runnable {
    private final List<String> lines = new ArrayList<String>();
    private Image paper;
    private Font font;
    private Color colour;
    private int speed;
    private boolean pauseOnMouse;
    private volatile boolean paused;
    private volatile Thread runner;
    private int offset;
    private Image buffer;
    // The page shows the window before init has run: paint waits for it.
    private volatile boolean ready;

    private String param(String name, String fallback) {
        String value = getParameter(name);
        return value == null || value.trim().isEmpty() ? fallback : value.trim();
    }

    private int number(String name, int fallback) {
        try {
            return Integer.parseInt(param(name, ""));
        } catch (NumberFormatException e) {
            return fallback;
        }
    }

    private static Color colour(String text, Color fallback) {
        if (text == null || text.trim().isEmpty())
            return fallback;
        String digits = text.trim();
        if (digits.startsWith("#"))
            digits = digits.substring(1);
        else if (digits.startsWith("0x") || digits.startsWith("0X"))
            digits = digits.substring(2);
        try {
            return new Color(Integer.parseInt(digits, 16));
        } catch (NumberFormatException e) {
            return fallback;
        }
    }

    /** The editor writes the text as Windows-1252 lines into the web root, beside the pages; a
     *  preview page lies elsewhere, so the code base is the second place to look. */
    private void readText(String name) {
        Charset charset = Charset.isSupported("windows-1252") ? Charset.forName("windows-1252") : Charset.forName("ISO-8859-1");
        Exception failure = null;
        for (URL base : new URL[] {getDocumentBase(), getCodeBase()}) {
            try (BufferedReader reader = new BufferedReader(new InputStreamReader(new URL(base, name).openStream(), charset))) {
                for (String line; (line = reader.readLine()) != null && lines.size() < 10000;)
                    lines.add(line);
                return;
            } catch (IOException | SecurityException e) {
                // A sandboxed applet may read its code base only.
                failure = e;
            }
        }
        System.err.println("NoteScroller: cannot read the text " + name + ": " + failure);
        lines.add("(The text " + name + " cannot be read.)");
    }

    @Override
    public void init() {
        String name = param("textfile", "");
        if (name.isEmpty())
            lines.add("(No text file is named.)");
        else
            readText(name);
        String picture = param("background", "");
        if (!picture.isEmpty()) {
            paper = getImage(getCodeBase(), picture);
            MediaTracker tracker = new MediaTracker(this);
            tracker.addImage(paper, 0);
            try {
                tracker.waitForAll();
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
            }
            if (tracker.isErrorAny()) {
                System.err.println("NoteScroller: cannot load the paper picture " + picture);
                paper = null;
            }
        }
        font = new Font(param("font", "Helvetica"), Font.PLAIN, Math.max(6, Math.min(48, number("fontsize", 12))));
        colour = colour(getParameter("fgcolor"), Color.black);
        speed = Math.max(10, number("speed", 50));
        pauseOnMouse = !"false".equalsIgnoreCase(param("pauseonmouse", "true"));
        offset = getSize().height;
        enableEvents(AWTEvent.MOUSE_EVENT_MASK);
        ready = true;
        repaint();
    }

    @Override
    protected void processMouseEvent(MouseEvent e) {
        if (e.getID() == MouseEvent.MOUSE_ENTERED)
            paused = pauseOnMouse;
        else if (e.getID() == MouseEvent.MOUSE_EXITED)
            paused = false;
        super.processMouseEvent(e);
    }

    @Override
    public void start() {
        runner = new Thread(this, "note scroller");
        runner.start();
    }

    @Override
    public void stop() {
        runner = null;
    }

    @Override
    public void run() {
        Thread self = Thread.currentThread();
        while (runner == self) {
            if (!paused) {
                offset--;
                repaint();
            }
            try {
                Thread.sleep(speed);
            } catch (InterruptedException e) {
                return;
            }
        }
    }

    @Override
    public void update(Graphics g) {
        paint(g);
    }

    @Override
    public void paint(Graphics screen) {
        Dimension size = getSize();
        if (size.width <= 0 || size.height <= 0 || !ready)
            return;
        if (buffer == null || buffer.getWidth(this) != size.width || buffer.getHeight(this) != size.height)
            buffer = createImage(size.width, size.height);
        Graphics g = buffer.getGraphics();
        g.setColor(new Color(0xFFFDE8));
        g.fillRect(0, 0, size.width, size.height);
        if (paper != null) {
            int w = Math.max(1, paper.getWidth(this));
            int h = Math.max(1, paper.getHeight(this));
            for (int y = 0; y < size.height; y += h)
                for (int x = 0; x < size.width; x += w)
                    g.drawImage(paper, x, y, this);
        }
        g.setFont(font);
        g.setColor(colour);
        FontMetrics metrics = g.getFontMetrics();
        int lineHeight = metrics.getHeight();
        if (offset < -lineHeight * lines.size())
            offset = size.height;
        for (int i = 0; i < lines.size(); i++) {
            int y = offset + i * lineHeight + metrics.getAscent();
            if (y > -lineHeight && y < size.height + lineHeight)
                g.drawString(lines.get(i), 8, y);
        }
        g.dispose();
        screen.drawImage(buffer, 0, 0, this);
    }
}
