package org.zarn.samples.gallery;

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
import java.util.ArrayList;
import java.util.List;

/** The picture gallery of the Vectors templates: albumCount albums, album1 to albumN, each a list of
 *  pictures separated by bars; a row of album tabs, the album's thumbnails, the chosen picture large. */
@SuppressWarnings({"deprecation", "removal", "serial"})
public class Gallery extends Applet {
    private static final int TAB_HEIGHT = 22;

    private final List<List<Thumbnail>> albums = new ArrayList<List<Thumbnail>>();
    private String title;
    private int thumbSize;
    private int album;
    private int picture;
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

    @Override
    public void init() {
        title = param("title", "");
        thumbSize = Math.max(16, Math.min(200, number("thumbsize", 64)));
        MediaTracker tracker = new MediaTracker(this);
        int count = number("albumCount", 0);
        int id = 0;
        for (int i = 1; i <= count; i++) {
            List<Thumbnail> pictures = new ArrayList<Thumbnail>();
            for (String name : param("album" + i, "").split("\\|")) {
                if (name.trim().isEmpty())
                    continue;
                Image image = getImage(getCodeBase(), name.trim());
                tracker.addImage(image, ++id);
                try {
                    tracker.waitForID(id);
                } catch (InterruptedException e) {
                    Thread.currentThread().interrupt();
                    return;
                }
                if (tracker.isErrorID(id))
                    System.err.println("Gallery: cannot load the picture " + name.trim());
                else
                    pictures.add(new Thumbnail(name.trim(), image));
            }
            albums.add(pictures);
        }
        enableEvents(AWTEvent.MOUSE_EVENT_MASK);
        showStatus(albums.size() + " albums");
        ready = true;
        repaint();
    }

    private int top() {
        return title.isEmpty() ? 0 : 28;
    }

    @Override
    protected void processMouseEvent(MouseEvent e) {
        if (e.getID() == MouseEvent.MOUSE_CLICKED) {
            int y = e.getY() - top();
            if (y >= 0 && y < TAB_HEIGHT && !albums.isEmpty()) {
                album = Math.min(albums.size() - 1, e.getX() / tabWidth());
                picture = 0;
            } else {
                List<Thumbnail> pictures = albums.isEmpty() ? new ArrayList<Thumbnail>() : albums.get(album);
                for (int i = 0; i < pictures.size(); i++)
                    if (pictures.get(i).contains(e.getX(), e.getY()))
                        picture = i;
            }
            if (!albums.isEmpty() && picture < albums.get(album).size())
                showStatus(albums.get(album).get(picture).name());
            repaint();
        }
        super.processMouseEvent(e);
    }

    private int tabWidth() {
        return Math.max(1, getSize().width / Math.max(1, albums.size()));
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
        g.setColor(new Color(0x303030));
        g.fillRect(0, 0, size.width, size.height);
        g.setFont(new Font("Helvetica", Font.BOLD, 16));
        FontMetrics metrics = g.getFontMetrics();
        if (!title.isEmpty()) {
            g.setColor(Color.white);
            g.drawString(title, (size.width - metrics.stringWidth(title)) / 2, 20);
        }
        int y = top();
        g.setFont(new Font("Helvetica", Font.PLAIN, 12));
        metrics = g.getFontMetrics();
        for (int i = 0; i < albums.size(); i++) {
            g.setColor(i == album ? new Color(0x606060) : new Color(0x404040));
            g.fillRect(i * tabWidth(), y, tabWidth() - 2, TAB_HEIGHT);
            g.setColor(Color.white);
            String name = "Album " + (i + 1) + " (" + albums.get(i).size() + ")";
            g.drawString(name, i * tabWidth() + 8, y + 15);
        }
        y += TAB_HEIGHT + 6;
        if (!albums.isEmpty()) {
            List<Thumbnail> pictures = albums.get(album);
            int x = 6;
            for (int i = 0; i < pictures.size(); i++) {
                pictures.get(i).place(x, y, thumbSize);
                pictures.get(i).paint(g, i == picture, this);
                x += thumbSize + 8;
            }
            int bigTop = y + thumbSize * 3 / 4 + 10;
            if (picture < pictures.size()) {
                Image image = pictures.get(picture).image();
                int h = size.height - bigTop - 6;
                int w = size.width - 12;
                g.drawImage(image, 6, bigTop, w, h, this);
            }
        }
        g.dispose();
        screen.drawImage(buffer, 0, 0, this);
    }
}
