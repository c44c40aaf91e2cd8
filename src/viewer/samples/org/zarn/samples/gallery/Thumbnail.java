package org.zarn.samples.gallery;

import java.awt.Color;
import java.awt.Graphics;
import java.awt.Image;
import java.awt.image.ImageObserver;

/** One picture of an album, drawn small in the album's row at a place the gallery gives it. */
final class Thumbnail {
    private final String name;
    private final Image image;
    private int x;
    private int y;
    private int width;
    private int height;

    Thumbnail(String name, Image image) {
        this.name = name;
        this.image = image;
    }

    String name() {
        return name;
    }

    Image image() {
        return image;
    }

    void place(int left, int top, int size) {
        x = left;
        y = top;
        width = size;
        height = size * 3 / 4;
    }

    boolean contains(int px, int py) {
        return px >= x && px < x + width && py >= y && py < y + height;
    }

    void paint(Graphics g, boolean chosen, ImageObserver observer) {
        g.drawImage(image, x, y, width, height, observer);
        g.setColor(chosen ? Color.yellow : Color.gray);
        g.drawRect(x - 1, y - 1, width + 1, height + 1);
    }
}
