;; TODO: clojure
(def s "; FIXME: string")
