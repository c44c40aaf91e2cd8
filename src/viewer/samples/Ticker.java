import java.applet.Applet;
import java.awt.Color;
import java.awt.Dimension;
import java.awt.Font;
import java.awt.FontMetrics;
import java.awt.Graphics;
import java.awt.Image;
import java.awt.MediaTracker;
import java.awt.event.MouseEvent;
import java.awt.event.MouseListener;
import java.net.URL;

/** The news ticker of the Text templates: one line of headlines scrolling from right to left. */
@SuppressWarnings({"deprecation", "removal", "serial"})
public class Ticker extends Applet implements Runnable, MouseListener {
    private String message;
    private Color foreground;
    private Color background;
    private Font font;
    private Image separator;
    private double easing;
    private int lineHeight;
    private int speed;
    private int delay;
    private boolean pauseOnMouse;
    private volatile boolean paused;
    private volatile Thread runner;
    private int offset;
    private volatile boolean tailShown;
    private Image buffer;
    // The page shows the window before init has run: paint waits for it.
    private volatile boolean ready;

    private String param(String name, String fallback) {
        String value = getParameter(name);
        return value == null || value.isEmpty() ? fallback : value;
    }

    private int number(String name, int fallback) {
        try {
            return Integer.parseInt(param(name, "").trim());
        } catch (NumberFormatException e) {
            return fallback;
        }
    }

    private static Color colour(String text, Color fallback) {
        if (text == null)
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

    @Override
    public void init() {
        message = param("message", "ZARN news ticker");
        foreground = colour(getParameter("fgcolor"), Color.yellow);
        background = colour(getParameter("bgcolor"), Color.blue.darker());
        int size = Math.max(6, Math.min(72, number("fontsize", 12)));
        boolean bold = "yes".equalsIgnoreCase(param("bold", "no")) || "true".equalsIgnoreCase(param("bold", "no"));
        font = TickerFont.make(param("font", "Helvetica"), size, bold);
        String picture = param("separator", "");
        if (!picture.isEmpty()) {
            separator = getImage(getCodeBase(), picture);
            MediaTracker tracker = new MediaTracker(this);
            tracker.addImage(separator, 0);
            try {
                tracker.waitForAll();
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
            }
            if (tracker.isErrorAny()) {
                System.err.println("Ticker: cannot load the separator picture " + picture);
                separator = null;
            }
        }
        try {
            easing = Math.max(0.05, Math.min(1, Double.parseDouble(param("easing", "1"))));
        } catch (NumberFormatException e) {
            easing = 1;
        }
        lineHeight = number("lineheight", 0);
        speed = Math.max(1, number("speed", 2));
        delay = Math.max(10, number("delay", 50));
        pauseOnMouse = !"false".equalsIgnoreCase(param("pauseonmouse", "true"));
        offset = getSize().width;
        addMouseListener(this);
        showStatus(param("status", ""));
        ready = true;
        repaint();
    }

    // One class file, as the template's support files list it: the applet hears its own mouse.
    @Override
    public void mouseEntered(MouseEvent e) {
        paused = pauseOnMouse;
        showStatus(param("status", ""));
    }

    @Override
    public void mouseExited(MouseEvent e) {
        paused = false;
        showStatus("");
    }

    @Override
    public void mouseClicked(MouseEvent e) {
        String link = getParameter("link");
        try {
            if (link != null && !link.isEmpty())
                getAppletContext().showDocument(new URL(getDocumentBase(), link), param("target", "_self"));
        } catch (java.net.MalformedURLException error) {
            showStatus("Bad link: " + link);
        }
    }

    @Override
    public void mousePressed(MouseEvent e) {
    }

    @Override
    public void mouseReleased(MouseEvent e) {
    }

    @Override
    public void start() {
        runner = new Thread(this, "ticker");
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
                // The end of the headlines passes more slowly, so the last item can be read.
                offset -= tailShown ? Math.max(1, (int) Math.round(speed * easing)) : speed;
                repaint();
            }
            try {
                Thread.sleep(delay);
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
        g.setColor(background);
        g.fillRect(0, 0, size.width, size.height);
        g.setFont(font);
        g.setColor(foreground);
        FontMetrics metrics = g.getFontMetrics();
        int width = metrics.stringWidth(message);
        int gap = separator == null ? 0 : separator.getWidth(this) + 8;
        if (offset < -width - gap)
            offset = size.width;
        tailShown = offset + width < size.width;
        int line = lineHeight > 0 ? Math.min(lineHeight, size.height) : size.height;
        int top = (size.height - line) / 2;
        g.drawString(message, offset, top + (line + metrics.getAscent() - metrics.getDescent()) / 2);
        if (separator != null)
            g.drawImage(separator, offset + width + 4, top + (line - separator.getHeight(this)) / 2, this);
        g.dispose();
        screen.drawImage(buffer, 0, 0, this);
    }
}

/** The ticker's font: the named family, or the platform's sans serif where the family is unknown. */
final class TickerFont {
    private TickerFont() {
    }

    static Font make(String name, int size, boolean bold) {
        Font font = new Font(name, bold ? Font.BOLD : Font.PLAIN, size);
        return "Dialog".equals(font.getFamily()) && !"Dialog".equalsIgnoreCase(name)
                   ? new Font("SansSerif", font.getStyle(), size) : font;
    }
}
