import java.applet.Applet;
import java.applet.AudioClip;
import java.awt.Color;
import java.awt.Dimension;
import java.awt.Font;
import java.awt.FontMetrics;
import java.awt.Graphics;
import java.awt.Image;
import java.awt.MediaTracker;
import java.util.Calendar;
import java.util.TimeZone;

/** The analogue clock of the Clocks templates: hands over a face picture, in any time zone. */
@SuppressWarnings({"deprecation", "removal", "serial"})
public class AnalogClock extends Applet implements Runnable {
    private static final String[] ROMAN = {"XII", "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX", "X", "XI"};

    private Image face;
    private Color faceColor;
    private String numerals;
    private int diameter;
    private ClockHand hours;
    private ClockHand minutes;
    private ClockHand seconds;
    private Color shadow;
    private TimeZone zone;
    private String label;
    private int refresh;
    private AudioClip tick;
    private volatile Thread runner;
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

    /** Colours come as RRGGBB, #RRGGBB or 0xRRGGBB. */
    static Color colour(String text, Color fallback) {
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

    /** "local" (or nothing) is the visitor's own zone; otherwise hours from universal time, such as 1 or -3.5. */
    static TimeZone zone(String offset) {
        if (offset == null || offset.trim().isEmpty() || "local".equalsIgnoreCase(offset.trim()))
            return TimeZone.getDefault();
        try {
            int minutes = Math.round(Float.parseFloat(offset.trim()) * 60);
            return new java.util.SimpleTimeZone(minutes * 60000, "UTC" + offset.trim());
        } catch (NumberFormatException e) {
            return TimeZone.getDefault();
        }
    }

    @Override
    public void init() {
        String picture = param("face", "");
        if (!picture.isEmpty()) {
            face = getImage(getCodeBase(), picture);
            MediaTracker tracker = new MediaTracker(this);
            tracker.addImage(face, 0);
            try {
                tracker.waitForAll();
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
            }
            if (tracker.isErrorAny()) {
                System.err.println("AnalogClock: cannot load the face picture " + picture);
                face = null;
            }
        }
        faceColor = colour(getParameter("facecolor"), Color.white);
        numerals = param("numerals", "arabic");
        diameter = Math.max(20, number("diameter", Math.min(getSize().width, getSize().height)));
        Color handColour = colour(getParameter("handcolor"), Color.black);
        hours = new ClockHand(0.5, 5, handColour);
        minutes = new ClockHand(0.75, 3, handColour);
        seconds = "off".equalsIgnoreCase(param("showseconds", "on")) ? null
                  : new ClockHand(0.85, 1, colour(getParameter("secondcolor"), Color.red));
        shadow = colour(getParameter("shadowcolor"), null);
        zone = zone(getParameter("utcoffset"));
        label = param("label", "");
        refresh = Math.max(100, number("refresh", 1000));
        String sound = param("ticksound", "");
        if (!sound.isEmpty())
            tick = getAudioClip(getCodeBase(), sound);
        ready = true;
        repaint();
    }

    @Override
    public void start() {
        runner = new Thread(this, "clock");
        runner.start();
    }

    @Override
    public void stop() {
        runner = null;
    }

    @Override
    public void run() {
        Thread self = Thread.currentThread();
        int lastSecond = -1;
        while (runner == self) {
            int second = Calendar.getInstance(zone).get(Calendar.SECOND);
            if (tick != null && second != lastSecond) {
                try {
                    tick.play();
                } catch (RuntimeException e) {
                    tick = null; // no sound device: the clock goes on silently
                }
            }
            lastSecond = second;
            repaint();
            try {
                Thread.sleep(refresh);
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
        g.setColor(faceColor);
        g.fillRect(0, 0, size.width, size.height);
        int d = Math.min(diameter, Math.min(size.width, size.height));
        int x = (size.width - d) / 2;
        int y = (size.height - d) / 2;
        int cx = size.width / 2;
        int cy = size.height / 2;
        if (face != null) {
            g.drawImage(face, x, y, d, d, this);
        } else {
            g.setColor(Color.lightGray);
            g.drawOval(x, y, d - 1, d - 1);
        }
        drawNumerals(g, cx, cy, d / 2);
        if (!label.isEmpty()) {
            // As large as fits between the numerals either side of it.
            FontMetrics metrics = null;
            for (int points = Math.max(6, d / 14); points >= 6; points--) {
                g.setFont(new Font("Helvetica", Font.PLAIN, points));
                metrics = g.getFontMetrics();
                if (metrics.stringWidth(label) <= d * 0.45)
                    break;
            }
            g.setColor(Color.darkGray);
            g.drawString(label, cx - metrics.stringWidth(label) / 2, cy + d / 7 + metrics.getAscent() / 2);
        }
        Calendar now = Calendar.getInstance(zone);
        double minute = now.get(Calendar.MINUTE) + now.get(Calendar.SECOND) / 60.0;
        double hour = now.get(Calendar.HOUR) + minute / 60.0;
        int r = d / 2;
        hours.draw(g, cx, cy, r, hour / 12, shadow);
        minutes.draw(g, cx, cy, r, minute / 60, shadow);
        if (seconds != null)
            seconds.draw(g, cx, cy, r, now.get(Calendar.SECOND) / 60.0, shadow);
        g.dispose();
        screen.drawImage(buffer, 0, 0, this);
    }

    private void drawNumerals(Graphics g, int cx, int cy, int r) {
        if ("none".equalsIgnoreCase(numerals))
            return;
        g.setFont(new Font("TimesRoman", Font.BOLD, Math.max(7, r / 9)));
        FontMetrics metrics = g.getFontMetrics();
        g.setColor(Color.black);
        for (int i = 0; i < 12; i++) {
            String text = "roman".equalsIgnoreCase(numerals) ? ROMAN[i] : Integer.toString(i == 0 ? 12 : i);
            double angle = Math.PI * 2 * i / 12;
            int tx = cx + (int) Math.round(Math.sin(angle) * r * 0.76);
            int ty = cy - (int) Math.round(Math.cos(angle) * r * 0.76);
            g.drawString(text, tx - metrics.stringWidth(text) / 2, ty + metrics.getAscent() / 2 - 1);
        }
    }
}

/** One hand of the clock: its length as a share of the radius, its width and colour. */
final class ClockHand {
    private final double length;
    private final int width;
    private final Color colour;

    ClockHand(double length, int width, Color colour) {
        this.length = length;
        this.width = width;
        this.colour = colour;
    }

    /** Draws the hand at TURN (0 to 1, clockwise from twelve), its shadow first when there is one. */
    void draw(Graphics g, int cx, int cy, int radius, double turn, Color shadow) {
        double angle = Math.PI * 2 * turn;
        int tx = cx + (int) Math.round(Math.sin(angle) * radius * length);
        int ty = cy - (int) Math.round(Math.cos(angle) * radius * length);
        if (shadow != null)
            line(g, cx + 2, cy + 2, tx + 2, ty + 2, shadow);
        line(g, cx, cy, tx, ty, colour);
    }

    private void line(Graphics g, int x1, int y1, int x2, int y2, Color c) {
        g.setColor(c);
        for (int i = -width / 2; i <= width / 2; i++) {
            g.drawLine(x1 + i, y1, x2 + i, y2);
            g.drawLine(x1, y1 + i, x2, y2 + i);
        }
    }
}
