// java SwfFidelity OUT_DIR: draws each picture twice with Java 2D, once into
// a PNG (the reference rasteriser) and once into a SWF file through the
// FreeHEP SWF writer (Debian's libfreehep-graphicsio-swf-java).
import java.awt.*;
import java.awt.geom.*;
import java.awt.image.BufferedImage;
import java.io.File;
import java.util.Properties;
import java.util.function.Consumer;
import javax.imageio.ImageIO;
import org.freehep.graphicsio.swf.SWFGraphics2D;

public class SwfFidelity {
    static final int W = 200, H = 150;

    static Shape star(double cx, double cy, double r, int rule) {
        Path2D.Double p = new Path2D.Double(rule);
        for (int i = 0; i < 5; ++i) {
            double a = -Math.PI / 2 + i * 4 * Math.PI / 5;
            if (i == 0) p.moveTo(cx + r * Math.cos(a), cy + r * Math.sin(a));
            else p.lineTo(cx + r * Math.cos(a), cy + r * Math.sin(a));
        }
        p.closePath();
        return p;
    }

    static Shape squareWithHole(int rule) {
        Path2D.Double p = new Path2D.Double(rule);
        p.append(new Rectangle2D.Double(30, 20, 140, 110), false);
        p.append(new Rectangle2D.Double(70, 50, 60, 50), false);
        return p;
    }

    static BufferedImage photo() {
        BufferedImage img = new BufferedImage(64, 48, BufferedImage.TYPE_INT_RGB);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                img.setRGB(x, y, ((x * 4) << 16) | ((y * 5) << 8) | (x < 32 ? 200 : 40));
        return img;
    }

    static void stroke(Graphics2D g, int cap, int join) {
        g.setColor(new Color(20, 40, 160));
        g.setStroke(new BasicStroke(14, cap, join, 10));
        Path2D.Double p = new Path2D.Double();
        p.moveTo(30, 120);
        p.lineTo(100, 30);
        p.lineTo(170, 120);
        g.draw(p);
    }

    static void gradient(Graphics2D g, MultipleGradientPaint paint) {
        g.setPaint(paint);
        g.fill(new Rectangle2D.Double(10, 10, 180, 130));
    }

    public static void main(String[] args) throws Exception {
        File out = new File(args[0]);
        out.mkdirs();
        Color[] colors = {new Color(220, 30, 30), new Color(30, 60, 220)};
        float[] stops = {0f, 1f};
        java.util.LinkedHashMap<String, Consumer<Graphics2D>> pictures = new java.util.LinkedHashMap<>();
        pictures.put("fill-even-odd-hole", g -> { g.setColor(new Color(200, 40, 40)); g.fill(squareWithHole(Path2D.WIND_EVEN_ODD)); });
        pictures.put("fill-even-odd-star", g -> { g.setColor(new Color(40, 140, 40)); g.fill(star(100, 78, 70, Path2D.WIND_EVEN_ODD)); });
        pictures.put("fill-non-zero-star", g -> { g.setColor(new Color(40, 140, 40)); g.fill(star(100, 78, 70, Path2D.WIND_NON_ZERO)); });
        pictures.put("curves-alpha-transform", g -> {
            g.setColor(new Color(240, 160, 20));
            g.fill(new Ellipse2D.Double(20, 20, 120, 90));
            g.rotate(0.3, 100, 75);
            g.setColor(new Color(20, 20, 200, 128));
            g.fill(new RoundRectangle2D.Double(70, 40, 110, 70, 30, 30));
        });
        pictures.put("bitmap-jpeg", g -> g.drawImage(photo(), 20, 15, 160, 120, null));
        pictures.put("gradient-linear", g -> { g.setPaint(new GradientPaint(30, 0, colors[0], 170, 0, colors[1])); g.fill(new Rectangle2D.Double(10, 10, 180, 130)); });
        pictures.put("gradient-linear-reflect", g -> gradient(g, new LinearGradientPaint(70, 0, 110, 0, stops, colors, MultipleGradientPaint.CycleMethod.REFLECT)));
        pictures.put("gradient-linear-repeat", g -> gradient(g, new LinearGradientPaint(70, 0, 110, 0, stops, colors, MultipleGradientPaint.CycleMethod.REPEAT)));
        pictures.put("gradient-linear-rgb", g -> gradient(g, new LinearGradientPaint(new Point2D.Double(20, 0), new Point2D.Double(180, 0), stops,
            new Color[] {new Color(255, 0, 0), new Color(0, 0, 255)}, MultipleGradientPaint.CycleMethod.NO_CYCLE,
            MultipleGradientPaint.ColorSpaceType.LINEAR_RGB, new AffineTransform())));
        pictures.put("gradient-radial", g -> gradient(g, new RadialGradientPaint(100, 75, 60, stops, colors)));
        pictures.put("gradient-radial-focal", g -> gradient(g, new RadialGradientPaint(new Point2D.Double(100, 75), 60, new Point2D.Double(140, 75), stops, colors, MultipleGradientPaint.CycleMethod.NO_CYCLE)));
        pictures.put("stroke-butt-miter", g -> stroke(g, BasicStroke.CAP_BUTT, BasicStroke.JOIN_MITER));
        pictures.put("stroke-square-bevel", g -> stroke(g, BasicStroke.CAP_SQUARE, BasicStroke.JOIN_BEVEL));
        pictures.put("stroke-round-round", g -> stroke(g, BasicStroke.CAP_ROUND, BasicStroke.JOIN_ROUND));
        pictures.put("text", g -> { g.setColor(new Color(30, 30, 30)); g.setFont(new Font(Font.SANS_SERIF, Font.BOLD, 40)); g.drawString("Tikko", 30, 90); });
        pictures.put("clip", g -> {
            g.clip(new Ellipse2D.Double(40, 20, 120, 110));
            g.setColor(new Color(120, 40, 160));
            g.fill(new Rectangle2D.Double(0, 60, 200, 40));
        });

        Properties props = new Properties();
        props.setProperty(SWFGraphics2D.WRITE_IMAGES_AS, "JPG");
        for (var entry : pictures.entrySet()) {
            BufferedImage ref = new BufferedImage(W, H, BufferedImage.TYPE_INT_RGB);
            Graphics2D g = ref.createGraphics();
            g.setRenderingHint(RenderingHints.KEY_ANTIALIASING, RenderingHints.VALUE_ANTIALIAS_ON);
            g.setRenderingHint(RenderingHints.KEY_STROKE_CONTROL, RenderingHints.VALUE_STROKE_PURE);
            g.setColor(Color.WHITE);
            g.fillRect(0, 0, W, H);
            entry.getValue().accept(g);
            g.dispose();
            ImageIO.write(ref, "png", new File(out, entry.getKey() + ".png"));

            SWFGraphics2D swf = new SWFGraphics2D(new File(out, entry.getKey() + ".swf"), new Dimension(W, H));
            swf.setProperties(props);
            swf.startExport();
            entry.getValue().accept(swf);
            swf.endExport();
        }
    }
}
