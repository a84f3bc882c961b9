# Draws resistance-surface-curves.png, the picture of the curves on the help page
# resistance-surfaces.html. Not part of the build; run it again after changing the curves:
#   Rscript docs/help/resistance-surface-curves.R docs/help/resistance-surface-curves.png
# R is needed only here (base graphics, no packages).

out <- commandArgs(trailingOnly = TRUE)
if (length(out) != 1) stop("give the PNG file to write")

x <- seq(0, 10, by = 0.02)
maximum <- 100
curve_of <- function(family, shape, reverse = FALSE, inverse = FALSE) {
  along <- if (reverse) 10 - x else x
  g <- switch(family,
              monomolecular = 1 - exp(-along / shape),
              ricker = along * exp(-along / shape),
              linear = along)
  if (inverse) g <- -g
  1 + maximum * (g - min(g)) / (max(g) - min(g))
}

png(out, width = 960, height = 330, res = 96, type = "cairo")
par(mfrow = c(1, 3), mar = c(4.2, 4.2, 2.4, 0.8), cex = 0.95, cex.main = 1)
shapes <- c(0.5, 2, 5, 10)
colours <- c("#1b9e77", "#d95f02", "#7570b3", "#e7298a")

plot(NULL, xlim = c(0, 10), ylim = c(1, 101), xlab = "x (layer rescaled to 0..10)",
     ylab = "resistance (M = 100)", main = "monomolecular, S as given; linear")
for (k in seq_along(shapes)) lines(x, curve_of("monomolecular", shapes[k]), col = colours[k], lwd = 2)
lines(x, curve_of("linear", 1), col = "grey30", lwd = 2, lty = 2)
legend("bottomright", c(paste("S =", shapes), "linear"), col = c(colours, "grey30"), lty = c(1, 1, 1, 1, 2),
       lwd = 2, bty = "n")

plot(NULL, xlim = c(0, 10), ylim = c(1, 101), xlab = "x (layer rescaled to 0..10)",
     ylab = "resistance (M = 100)", main = "ricker (its peak at x = S)")
for (k in seq_along(shapes)) lines(x, curve_of("ricker", shapes[k]), col = colours[k], lwd = 2)
legend("topright", paste("S =", shapes), col = colours, lwd = 2, bty = "n")

plot(NULL, xlim = c(0, 10), ylim = c(1, 101), xlab = "x (layer rescaled to 0..10)",
     ylab = "resistance (M = 100)", main = "the forms of monomolecular, S = 2")
forms <- list(c(FALSE, FALSE), c(TRUE, FALSE), c(FALSE, TRUE), c(TRUE, TRUE))
names <- c("monomolecular", "reverse-", "inverse-", "inverse-reverse-")
for (k in seq_along(forms))
  lines(x, curve_of("monomolecular", 2, forms[[k]][1], forms[[k]][2]), col = colours[k], lwd = 2,
        lty = k)
legend("right", names, col = colours, lty = 1:4, lwd = 2, bty = "n")
invisible(dev.off())
