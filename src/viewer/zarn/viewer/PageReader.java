package zarn.viewer;

import java.net.MalformedURLException;
import java.net.URL;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Locale;
import java.util.Map;

/** Finds the applets of a page. Pages are written by hand as often as by tools, so attributes may be
 *  quoted or not, in any letter case, with entities in their values; anything else is skipped. */
final class PageReader {

    /** One APPLET element with its PARAMs. */
    static final class AppletTag {
        String code;
        String codeBase;
        String archive;
        String name;
        int width = 100;
        int height = 100;
        /** Parameter names in lower case: applets ask for them in any case. */
        final Map<String, String> params = new LinkedHashMap<String, String>();
    }

    /** The page's applets and the base their URLs resolve against. */
    static final class Page {
        URL documentBase;
        URL base;
        final List<AppletTag> applets = new ArrayList<AppletTag>();
    }

    private final String text;
    private int pos;

    private PageReader(String text) {
        this.text = text;
    }

    static Page read(String text, URL documentBase) {
        Page page = new Page();
        page.documentBase = documentBase;
        page.base = documentBase;
        new PageReader(text).scan(page);
        return page;
    }

    private void scan(Page page) {
        AppletTag current = null;
        while (true) {
            int open = text.indexOf('<', pos);
            if (open < 0)
                return;
            if (text.startsWith("<!--", open)) {
                int end = text.indexOf("-->", open + 4);
                pos = end < 0 ? text.length() : end + 3;
                continue;
            }
            pos = open + 1;
            boolean closing = pos < text.length() && text.charAt(pos) == '/';
            if (closing)
                pos++;
            String tag = word().toLowerCase(Locale.ROOT);
            Map<String, String> attributes = attributes();
            if (closing) {
                if (tag.equals("applet"))
                    current = null;
            } else if (isRawText(tag)) {
                skipRawText(tag);
            } else if (tag.equals("applet")) {
                current = applet(attributes);
                page.applets.add(current);
            } else if (tag.equals("param") && current != null) {
                String name = attributes.get("name");
                if (name != null && !current.params.containsKey(name.toLowerCase(Locale.ROOT)))
                    current.params.put(name.toLowerCase(Locale.ROOT), orEmpty(attributes.get("value")));
            } else if (tag.equals("base") && attributes.get("href") != null) {
                try {
                    page.base = new URL(page.documentBase, attributes.get("href"));
                } catch (MalformedURLException e) {
                    // A base that is no URL leaves the page's own address as the base.
                }
            }
        }
    }

    /** Elements whose content is text, not markup: an APPLET written in a script or shown in a text
     *  box is no applet of the page. */
    private static boolean isRawText(String tag) {
        return tag.equals("script") || tag.equals("style") || tag.equals("textarea") || tag.equals("title")
            || tag.equals("xmp");
    }

    /** Moves past the element's end tag, or to the end of an unclosed one. */
    private void skipRawText(String tag) {
        int from = pos;
        while (true) {
            int end = text.indexOf("</", from);
            if (end < 0) {
                pos = text.length();
                return;
            }
            int after = end + 2 + tag.length();
            if (text.regionMatches(true, end + 2, tag, 0, tag.length())
                && (after == text.length() || Character.isWhitespace(text.charAt(after)) || text.charAt(after) == '>'
                    || text.charAt(after) == '/')) {
                pos = end;
                return;
            }
            from = end + 2;
        }
    }

    private static AppletTag applet(Map<String, String> attributes) {
        AppletTag tag = new AppletTag();
        tag.code = attributes.get("code");
        tag.codeBase = attributes.get("codebase");
        tag.archive = attributes.get("archive");
        tag.name = attributes.get("name");
        tag.width = size(attributes.get("width"), tag.width);
        tag.height = size(attributes.get("height"), tag.height);
        return tag;
    }

    private static int size(String value, int fallback) {
        if (value == null)
            return fallback;
        String digits = value.trim();
        int end = 0;
        while (end < digits.length() && Character.isDigit(digits.charAt(end)))
            end++;
        if (end == 0 || end > 5)
            return fallback;
        int size = Integer.parseInt(digits.substring(0, end));
        return size > 0 ? size : fallback;
    }

    private static String orEmpty(String value) {
        return value == null ? "" : value;
    }

    private String word() {
        int start = pos;
        while (pos < text.length()) {
            char c = text.charAt(pos);
            if (Character.isWhitespace(c) || c == '>' || c == '/' || c == '=' || c == '<')
                break;
            pos++;
        }
        return text.substring(start, pos);
    }

    private void skipBlanks() {
        while (pos < text.length() && Character.isWhitespace(text.charAt(pos)))
            pos++;
    }

    /** The attributes up to the tag's end; the first of a repeated name wins, as in browsers. */
    private Map<String, String> attributes() {
        Map<String, String> result = new LinkedHashMap<String, String>();
        while (true) {
            skipBlanks();
            if (pos >= text.length())
                return result;
            char c = text.charAt(pos);
            if (c == '>') {
                pos++;
                return result;
            }
            if (c == '<')
                return result; // an unclosed tag ends where the next begins
            if (c == '/' || c == '=') {
                pos++;
                continue;
            }
            String name = word().toLowerCase(Locale.ROOT);
            skipBlanks();
            String value = null;
            if (pos < text.length() && text.charAt(pos) == '=') {
                pos++;
                skipBlanks();
                value = decode(value());
            }
            if (!name.isEmpty() && !result.containsKey(name))
                result.put(name, value == null ? "" : value);
        }
    }

    private String value() {
        if (pos >= text.length())
            return "";
        char quote = text.charAt(pos);
        if (quote == '"' || quote == '\'') {
            int end = text.indexOf(quote, pos + 1);
            if (end < 0)
                end = text.length();
            String value = text.substring(pos + 1, end);
            pos = Math.min(end + 1, text.length());
            return value;
        }
        int start = pos;
        while (pos < text.length() && !Character.isWhitespace(text.charAt(pos)) && text.charAt(pos) != '>')
            pos++;
        return text.substring(start, pos);
    }

    private static final String[][] NAMED = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", "\u00a0"},
        {"copy", "\u00a9"}, {"reg", "\u00ae"}, {"euro", "\u20ac"},
    };

    /** The longest reference name looked for, so that a run of bare "&" is read in one pass. */
    private static final int LONGEST_REFERENCE = 9;

    /** Decodes character references; anything that is not one stays as written. */
    static String decode(String value) {
        if (value.indexOf('&') < 0)
            return value;
        StringBuilder out = new StringBuilder(value.length());
        int i = 0;
        while (i < value.length()) {
            char c = value.charAt(i);
            int semicolon = -1;
            if (c == '&') {
                int last = Math.min(value.length() - 1, i + 1 + LONGEST_REFERENCE);
                for (int j = i + 1; j <= last && semicolon < 0; j++)
                    if (value.charAt(j) == ';')
                        semicolon = j;
            }
            String replacement = semicolon > i + 1 ? reference(value.substring(i + 1, semicolon)) : null;
            if (replacement == null) {
                out.append(c);
                i++;
            } else {
                out.append(replacement);
                i = semicolon + 1;
            }
        }
        return out.toString();
    }

    private static String reference(String name) {
        if (name.startsWith("#")) {
            try {
                boolean hex = name.length() > 1 && (name.charAt(1) == 'x' || name.charAt(1) == 'X');
                int code = Integer.parseInt(name.substring(hex ? 2 : 1), hex ? 16 : 10);
                return Character.isValidCodePoint(code) && code != 0 ? new String(Character.toChars(code)) : null;
            } catch (NumberFormatException e) {
                return null;
            }
        }
        for (String[] entry : NAMED)
            if (entry[0].equals(name))
                return entry[1];
        return null;
    }
}
